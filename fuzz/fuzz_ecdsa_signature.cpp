// A signature file as the server sends it, read for a key whose curve's size the first byte
// picks (1 to 66 bytes): the conversion gives exactly twice that size or nothing, reads only the
// input, and what it gives it gives again for the same r and s written in shortest DER.
#include "update/verify/SignatureFormats.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// r or s, big-endian and padded, as the shortest DER INTEGER.
std::string DerInteger(std::string value) {
  value.erase(0, value.find_first_not_of('\0'));
  if (value.empty() || (static_cast<unsigned char>(value[0]) & 0x80) != 0)
    value.insert(value.begin(), '\0');
  return std::string{'\x02', static_cast<char>(value.size())} + value;
}

std::string DerLength(size_t length) {
  if (length < 0x80)
    return std::string(1, static_cast<char>(length));
  return std::string{'\x81', static_cast<char>(length)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size == 0)
    return 0;
  const size_t fieldSize = data[0] % 66 + 1;
  const std::string der(reinterpret_cast<const char *>(data) + 1, size - 1);
  const std::optional<std::string> rs = EcdsaSignatureToRs(der, fieldSize);
  if (!rs)
    return 0;
  if (rs->size() != 2 * fieldSize)
    abort();
  const std::string integers =
      DerInteger(rs->substr(0, fieldSize)) + DerInteger(rs->substr(fieldSize));
  if (EcdsaSignatureToRs("\x30" + DerLength(integers.size()) + integers, fieldSize) != rs)
    abort();
  return 0;
}
