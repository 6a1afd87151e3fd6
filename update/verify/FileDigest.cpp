#include "update/verify/FileDigest.h"

#include "update/download/HeldDownload.h"

std::string HexOf(const TSha256 &digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

std::optional<TSha256> Sha256OfFile(const std::string &fileName) {
  return Sha256Of(THeldDownload(fileName));
}
