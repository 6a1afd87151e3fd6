#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// The headers of a whole reply that tell whether a download cut short may be asked for again
/// from where it stopped. Each is the header's text, unset when the reply has no such header.
struct TWholeReplyHeaders {
  std::optional<std::string> ETag;
  std::optional<std::string> LastModified;
  std::optional<std::string> Date;
  std::optional<std::string> AcceptRanges;
};

/// What a range request names in If-Range, so that the server answers with the rest only if
/// the file is still the one it sent: the reply's ETag when that is strong and well formed,
/// else its Last-Modified when that is a strong validator (a second or more before the reply's
/// Date). Unset when the reply gives neither, or refuses ranges.
std::optional<std::string> IfRangeValidatorOf(const TWholeReplyHeaders &reply);

/// The request headers that ask for the bytes of a file from offset on, on condition that it
/// is still the file that validator names.
std::string RangeRequestHeaders(int32_t offset, const std::string &validator);

/// Whether a 206 reply's Content-Range, "bytes <first>-<last>/<total>", holds exactly the rest
/// of the file asked for: from offset to the end of a file of total bytes.
bool ContentRangeIsTheRest(const std::string &contentRange, int32_t offset, int32_t total);
