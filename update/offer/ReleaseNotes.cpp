#include "update/offer/ReleaseNotes.h"

#include "update/offer/Utf8Text.h"

namespace {

// Controls, C0 and C1, and the embeddings, overrides and isolates of bidirectional text: each
// makes what is shown differ from what the text says.
bool IsDropped(uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F) ||
         (codePoint >= 0x202A && codePoint <= 0x202E) ||
         (codePoint >= 0x2066 && codePoint <= 0x2069);
}

} // namespace

std::optional<std::string> ReleaseNotesText(const std::string &body) {
  if (body.size() > kMaxReleaseNotesSize)
    return std::nullopt;
  size_t at = ByteOrderMarkLength(body);
  std::string text;
  text.reserve(body.size());
  while (at < body.size()) {
    const size_t start = at;
    const std::optional<uint32_t> codePoint = NextCodePoint(body, at);
    if (!codePoint)
      return std::nullopt;
    // CR LF, CR alone and LF alone each end a line.
    if (*codePoint == '\r' || *codePoint == '\n') {
      if (*codePoint == '\r' && at < body.size() && body[at] == '\n')
        ++at;
      text += '\n';
    } else if (!IsDropped(*codePoint)) {
      text.append(body, start, at - start);
    }
  }
  // Blank lines around the text would only push it out of sight.
  const size_t first = text.find_first_not_of(" \n");
  if (first == std::string::npos)
    return std::nullopt;
  return text.substr(first, text.find_last_not_of(" \n") + 1 - first);
}
