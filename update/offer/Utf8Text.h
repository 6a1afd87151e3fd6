#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

/// The code point at text[at], at < text.size(), and at moved past it; nothing for a sequence
/// that is not UTF-8: cut short, longer than it needs to be, a surrogate or past U+10FFFF.
std::optional<uint32_t> NextCodePoint(const std::string &text, size_t &at);

/// Whether text is UTF-8 from its first byte to its last.
bool IsUtf8(const std::string &text);

/// How many bytes a byte-order mark takes at the start of text: 3, or 0 when it has none.
size_t ByteOrderMarkLength(const std::string &text);
