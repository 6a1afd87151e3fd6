#include "httpget/ResumeRules.h"

#include "httpget/HttpDate.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace {

// A visible ASCII character but the quote: what an entity tag may hold here. The standard
// also lets it hold bytes from 0x80 on; such a tag is not sent back, and Last-Modified serves.
bool IsTagCharacter(char c) { return c > 0x20 && c < 0x7f && c != '"'; }

// A strong tag: quoted, no "W/" before it.
bool IsStrongETag(const std::string &tag) {
  return tag.size() >= 2 && tag.front() == '"' && tag.back() == '"' &&
         std::all_of(tag.begin() + 1, tag.end() - 1, IsTagCharacter);
}

// A date can stand for the file only when the file was not changed again within its second:
// the server saw it unchanged for at least a second after it.
bool IsStrongDate(const std::string &lastModified, const std::optional<std::string> &date) {
  const std::optional<int64_t> modified = SecondsOfHttpDate(lastModified);
  const std::optional<int64_t> sent = date ? SecondsOfHttpDate(*date) : std::nullopt;
  return modified && sent && *sent - *modified >= 1;
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Accept-Ranges is a comma-separated list of range units, in any letter case. No stream
// splits it: one std::istringstream brings the whole of iostreams and locales into the program.
bool ListsBytes(const std::string &acceptRanges) {
  const std::string units = Lowercase(acceptRanges);
  for (size_t start = 0; start <= units.size();) {
    const size_t end = std::min(units.find(',', start), units.size());
    const size_t first = units.find_first_not_of(" \t", start);
    if (first < end &&
        units.substr(first, units.find_last_not_of(" \t", end - 1) + 1 - first) == "bytes")
      return true;
    start = end + 1;
  }
  return false;
}

// Reads the decimal digits at text[at...] up to the first other character; false when there are
// none or their value exceeds the largest 32-bit signed number.
bool ReadNumber(const std::string &text, size_t &at, int64_t &value) {
  const size_t start = at;
  value = 0;
  while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
    value = value * 10 + (text[at++] - '0');
    if (value > std::numeric_limits<int32_t>::max())
      return false;
  }
  return at > start;
}

} // namespace

std::optional<std::string> IfRangeValidatorOf(const TWholeReplyHeaders &reply) {
  if (reply.AcceptRanges && !ListsBytes(*reply.AcceptRanges))
    return std::nullopt;
  if (reply.ETag && IsStrongETag(*reply.ETag))
    return reply.ETag;
  if (reply.LastModified && IsStrongDate(*reply.LastModified, reply.Date))
    return reply.LastModified;
  return std::nullopt;
}

std::string RangeRequestHeaders(int32_t offset, const std::string &validator) {
  return "Range: bytes=" + std::to_string(offset) + "-\r\nIf-Range: " + validator + "\r\n";
}

bool ContentRangeIsTheRest(const std::string &contentRange, int32_t offset, int32_t total) {
  static const std::string kUnit = "bytes ";
  if (Lowercase(contentRange.substr(0, kUnit.size())) != kUnit)
    return false;
  size_t at = kUnit.size();
  int64_t first = 0, last = 0, length = 0;
  if (!ReadNumber(contentRange, at, first) || at == contentRange.size() ||
      contentRange[at++] != '-' || !ReadNumber(contentRange, at, last) ||
      at == contentRange.size() || contentRange[at++] != '/' ||
      !ReadNumber(contentRange, at, length) || at != contentRange.size())
    return false;
  return first == offset && length == total && last == total - 1 && first <= last;
}
