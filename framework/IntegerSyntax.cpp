#include "framework/IntegerSyntax.h"

#include <optional>

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return 99;
}

std::optional<int32_t> Parse(const std::string &text) {
  size_t i = text.find_first_not_of(' ');
  if (i == std::string::npos)
    return std::nullopt;

  bool negative = false;
  int base = 10;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  } else if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
    base = 16;
    ++i;
  } else if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
    base = 16;
    i += 2;
  }
  if (i == text.size())
    return std::nullopt;

  // Hexadecimal text gives the 32 bits as written, so $FFFFFFFF is -1; decimal text must lie
  // in the signed range.
  const uint64_t limit = base == 16 ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
  uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base)
      return std::nullopt;
    value = value * base + digit;
    if (value > limit)
      return std::nullopt;
  }
  const auto bits = static_cast<uint32_t>(negative ? 0u - static_cast<uint32_t>(value) : value);
  return static_cast<int32_t>(bits);
}

} // namespace

int32_t StrToInt(const std::string &text) {
  if (const auto value = Parse(text))
    return *value;
  throw EConvertError("'" + text + "' is not a valid integer value");
}
