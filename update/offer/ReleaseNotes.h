#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// The longest release notes taken, in bytes: a page of text, not a document.
constexpr uint32_t kMaxReleaseNotesSize = 64 * 1024;

/// The release notes in body as the offer shows them: UTF-8 without its byte-order mark, every
/// line end a line feed, and no control character besides; nor the marks that would turn the
/// direction of the text against the way it reads. Nothing when body is longer than
/// kMaxReleaseNotesSize, is not UTF-8, or holds nothing to read.
std::optional<std::string> ReleaseNotesText(const std::string &body);
