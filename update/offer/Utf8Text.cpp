#include "update/offer/Utf8Text.h"

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

} // namespace

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

bool IsUtf8(const std::string &text) {
  for (size_t at = 0; at < text.size();)
    if (!NextCodePoint(text, at))
      return false;
  return true;
}

size_t ByteOrderMarkLength(const std::string &text) {
  static const char kByteOrderMark[] = "\xEF\xBB\xBF";
  return text.compare(0, 3, kByteOrderMark) == 0 ? 3 : 0;
}
