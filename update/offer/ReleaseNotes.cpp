#include "update/offer/ReleaseNotes.h"

namespace {

// The length of the UTF-8 sequence that lead begins, and its bits; 0 for a byte no sequence
// begins with.
size_t SequenceLength(unsigned char lead, uint32_t &codePoint) {
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    codePoint = lead & 0x1Fu;
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    codePoint = lead & 0x0Fu;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    codePoint = lead & 0x07u;
    return 4;
  }
  return 0;
}

// The code point at text[at], which is moved past it; nothing for a sequence that is not UTF-8:
// cut short, longer than it needs to be, a surrogate or past U+10FFFF.
std::optional<uint32_t> NextCodePoint(const std::string &text, size_t &at) {
  static const uint32_t kFewest[] = {0, 0, 0x80, 0x800, 0x10000};
  uint32_t codePoint = 0;
  const size_t length = SequenceLength(static_cast<unsigned char>(text[at]), codePoint);
  if (length == 0 || text.size() - at < length)
    return std::nullopt;
  for (size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[at + i]);
    if ((byte & 0xC0) != 0x80)
      return std::nullopt;
    codePoint = codePoint << 6 | (byte & 0x3Fu);
  }
  if (codePoint < kFewest[length] || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF))
    return std::nullopt;
  at += length;
  return codePoint;
}

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
  static const char kByteOrderMark[] = "\xEF\xBB\xBF";
  size_t at = body.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
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
