#include "update/verify/SignatureFormats.h"

#include <cstdint>
#include <string_view>

namespace {

constexpr unsigned char kSequenceTag = 0x30;
constexpr unsigned char kIntegerTag = 0x02;

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z')
    return c - 'A';
  if (c >= 'a' && c <= 'z')
    return c - 'a' + 26;
  if (c >= '0' && c <= '9')
    return c - '0' + 52;
  if (c == '+')
    return 62;
  if (c == '/')
    return 63;
  return -1;
}

unsigned char ByteAt(std::string_view bytes, size_t index) {
  return static_cast<unsigned char>(bytes[index]);
}

// Takes one DER element with the given tag from the front of input; its contents are left in
// contents. Lengths are read in their shortest form only, and none beyond 64 KiB: nothing the
// updater reads comes near that.
bool TakeElement(std::string_view &input, unsigned char tag, std::string_view &contents) {
  if (input.size() < 2 || ByteAt(input, 0) != tag)
    return false;
  size_t length = ByteAt(input, 1);
  size_t header = 2;
  if (length == 0x81 || length == 0x82) {
    const size_t lengthBytes = length - 0x80;
    if (input.size() < header + lengthBytes)
      return false;
    length = 0;
    for (size_t i = 0; i < lengthBytes; ++i)
      length = length << 8 | ByteAt(input, header + i);
    header += lengthBytes;
    if (length < (lengthBytes == 1 ? 0x80u : 0x100u))
      return false;
  } else if (length >= 0x80) {
    return false;
  }
  if (input.size() - header < length)
    return false;
  contents = input.substr(header, length);
  input.remove_prefix(header + length);
  return true;
}

} // namespace

std::optional<std::string> DecodeBase64(const std::string &text) {
  if (text.size() % 4 != 0)
    return std::nullopt;
  std::string bytes;
  for (size_t at = 0; at < text.size(); at += 4) {
    const bool last = at + 4 == text.size();
    const size_t padding =
        last ? (text[at + 3] == '=' ? (text[at + 2] == '=' ? 2 : 1) : 0) : size_t{0};
    uint32_t group = 0;
    for (size_t i = 0; i < 4; ++i) {
      const int value = i < 4 - padding ? Base64Value(text[at + i]) : 0;
      if (value < 0)
        return std::nullopt;
      group = group << 6 | static_cast<uint32_t>(value);
    }
    if ((group & ((uint32_t{1} << (8 * padding)) - 1)) != 0)
      return std::nullopt;
    for (size_t i = 0; i < 3 - padding; ++i)
      bytes.push_back(static_cast<char>(group >> (16 - 8 * i) & 0xFF));
  }
  return bytes;
}

bool IsOneDerSequence(const std::string &bytes) {
  std::string_view input(bytes);
  std::string_view contents;
  return TakeElement(input, kSequenceTag, contents) && input.empty();
}

// Zero bytes before an integer's first significant byte change nothing of its value, so they
// are taken off whatever their number; openssl writes one where the top bit would read as a
// sign.
std::optional<std::string> EcdsaSignatureToRs(const std::string &der, size_t fieldSize) {
  std::string_view input(der);
  std::string_view sequence;
  if (!TakeElement(input, kSequenceTag, sequence) || !input.empty())
    return std::nullopt;
  std::string rs;
  for (int integers = 0; integers < 2; ++integers) {
    std::string_view integer;
    if (!TakeElement(sequence, kIntegerTag, integer) || integer.empty() ||
        (ByteAt(integer, 0) & 0x80) != 0)
      return std::nullopt;
    while (!integer.empty() && integer.front() == '\0')
      integer.remove_prefix(1);
    if (integer.size() > fieldSize)
      return std::nullopt;
    rs.append(fieldSize - integer.size(), '\0');
    rs.append(integer);
  }
  if (!sequence.empty())
    return std::nullopt;
  return rs;
}
