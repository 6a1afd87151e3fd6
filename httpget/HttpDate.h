#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// The seconds since 1970-01-01 00:00:00 UTC of an HTTP date in the one form that servers send
/// today, "Sun, 06 Nov 1994 08:49:37 GMT"; nothing when the text is anything else.
std::optional<int64_t> SecondsOfHttpDate(const std::string &text);
