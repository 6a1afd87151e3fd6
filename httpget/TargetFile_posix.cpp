#include "httpget/TargetFile.h"

#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <unistd.h>
#include <utility>

// "x": should anyone plant the name again between the removal and the creation, the transfer
// fails rather than write into their file.
TTargetFile TTargetFile::Create(const std::string &fileName) {
  if (std::remove(fileName.c_str()) != 0 && errno != ENOENT)
    throw std::runtime_error("cannot delete the old " + fileName);
  std::FILE *file = std::fopen(fileName.c_str(), "wbx");
  if (!file)
    throw std::runtime_error("cannot create " + fileName);
  return TTargetFile(file);
}

TTargetFile::~TTargetFile() {
  if (fHandle)
    std::fclose(static_cast<std::FILE *>(fHandle));
}

TTargetFile::TTargetFile(TTargetFile &&other) noexcept
    : fHandle(std::exchange(other.fHandle, nullptr)) {}

void TTargetFile::Write(const char *data, size_t size) {
  auto *file = static_cast<std::FILE *>(fHandle);
  if (std::fwrite(data, 1, size, file) != size || std::fflush(file) != 0)
    throw std::runtime_error("cannot write the target file");
}

void TTargetFile::Truncate() {
  auto *file = static_cast<std::FILE *>(fHandle);
  if (std::fflush(file) != 0 || ftruncate(fileno(file), 0) != 0 ||
      std::fseek(file, 0, SEEK_SET) != 0)
    throw std::runtime_error("cannot empty the target file");
}

void TTargetFile::Flush() {
  auto *file = static_cast<std::FILE *>(fHandle);
  if (std::fflush(file) != 0 || fsync(fileno(file)) != 0)
    throw std::runtime_error("cannot flush the target file");
}
