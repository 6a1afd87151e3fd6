#include "update/verify/ProgramImage.h"

#include "update/download/HeldDownload.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr uint32_t kHeaderOffsetPosition = 60; // where the "MZ" header keeps the offset
constexpr char kImageSignature[4] = {'P', 'E', '\0', '\0'};

} // namespace

bool EndsWithExe(const std::string &name) {
  static const std::string kExtension = ".exe";
  return name.size() >= kExtension.size() &&
         std::equal(
             kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
             [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

bool IsProgramImage(const TReadAt &readAt) {
  unsigned char header[kHeaderOffsetPosition + 4];
  if (!readAt(0, header, sizeof header) || header[0] != 'M' || header[1] != 'Z')
    return false;
  const uint32_t offset = header[kHeaderOffsetPosition] | header[kHeaderOffsetPosition + 1] << 8 |
                          header[kHeaderOffsetPosition + 2] << 16 |
                          uint32_t{header[kHeaderOffsetPosition + 3]} << 24;
  char signature[sizeof kImageSignature];
  return readAt(offset, signature, sizeof signature) &&
         std::equal(signature, signature + sizeof signature, kImageSignature);
}

// Only the header and the signature are read: the check costs the same for any size of file.
bool IsAcceptableDownload(const THeldDownload &download, const std::string &program) {
  const auto readAt = [&download](uint32_t offset, void *buffer, size_t size) {
    return download.ReadAt(offset, buffer, size);
  };
  char first = 0;
  return readAt(0, &first, 1) && (!EndsWithExe(program) || IsProgramImage(readAt));
}
