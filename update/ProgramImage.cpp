#include "update/ProgramImage.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

namespace {

constexpr uint32_t kHeaderOffsetPosition = 60; // where the "MZ" header keeps the offset
constexpr char kImageSignature[4] = {'P', 'E', '\0', '\0'};

bool EndsWithExe(const std::string &name) {
  static const std::string kExtension = ".exe";
  return name.size() >= kExtension.size() &&
         std::equal(
             kExtension.begin(), kExtension.end(), name.end() - kExtension.size(),
             [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

struct TCloseFile {
  void operator()(std::FILE *file) const { std::fclose(file); }
};

} // namespace

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
// An offset beyond a 32-bit long turns negative, and a seek there fails.
bool IsAcceptableDownload(const std::string &download, const std::string &program) {
  const std::unique_ptr<std::FILE, TCloseFile> file(std::fopen(download.c_str(), "rb"));
  if (!file || std::fgetc(file.get()) == EOF)
    return false;
  return !EndsWithExe(program) || IsProgramImage([&](uint32_t offset, void *buffer, size_t size) {
    return std::fseek(file.get(), static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(buffer, 1, size, file.get()) == size;
  });
}
