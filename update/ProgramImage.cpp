#include "update/ProgramImage.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>

namespace {

constexpr std::streamoff kHeaderOffsetPosition = 60; // where the "MZ" header keeps the offset
constexpr char kImageSignature[4] = {'P', 'E', '\0', '\0'};

bool EndsWithExe(const std::string &name) {
  static const std::string kExtension = ".exe";
  return name.size() >= kExtension.size() &&
         std::equal(
             kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
             [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

} // namespace

bool IsProgramImage(std::istream &image) {
  unsigned char header[kHeaderOffsetPosition + 4];
  if (!image.read(reinterpret_cast<char *>(header), sizeof header))
    return false;
  if (header[0] != 'M' || header[1] != 'Z')
    return false;
  const uint32_t offset = header[kHeaderOffsetPosition] | header[kHeaderOffsetPosition + 1] << 8 |
                          header[kHeaderOffsetPosition + 2] << 16 |
                          uint32_t{header[kHeaderOffsetPosition + 3]} << 24;
  char signature[sizeof kImageSignature];
  return image.seekg(offset) && image.read(signature, sizeof signature) &&
         std::equal(signature, signature + sizeof signature, kImageSignature);
}

bool IsAcceptableDownload(const std::string &download, const std::string &program) {
  std::ifstream file(download, std::ios::binary);
  if (file.peek() == std::ifstream::traits_type::eof())
    return false;
  return !EndsWithExe(program) || IsProgramImage(file);
}
