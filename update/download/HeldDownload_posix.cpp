#include "update/download/HeldDownload.h"

#include "framework/FileRemoval.h"

#include <cstdio>
#include <sys/stat.h>
#include <utility>

// POSIX has no sharing modes: here the hold only keeps the file that was checked open.
THeldDownload::THeldDownload(std::string fileName) : fFileName(std::move(fileName)) {
  fHandle = std::fopen(fFileName.c_str(), "rb");
}

THeldDownload::~THeldDownload() { Release(); }

uint64_t THeldDownload::Size() const {
  struct stat status {};
  return fHandle && fstat(fileno(static_cast<std::FILE *>(fHandle)), &status) == 0
             ? static_cast<uint64_t>(status.st_size)
             : 0;
}

// A seek beyond a 32-bit long turns negative and fails.
bool THeldDownload::ReadAt(uint32_t offset, void *buffer, size_t size) const {
  auto *file = static_cast<std::FILE *>(fHandle);
  return file && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(buffer, 1, size, file) == size;
}

void THeldDownload::Release() {
  if (fHandle)
    std::fclose(static_cast<std::FILE *>(std::exchange(fHandle, nullptr)));
}

void THeldDownload::Delete() {
  RemoveFile(fFileName);
  Release();
}
