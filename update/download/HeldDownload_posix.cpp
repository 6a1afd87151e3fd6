#include "update/download/HeldDownload.h"

#include "framework/FileRemoval.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

// POSIX has no sharing modes: here the hold only keeps the file that was checked open.
THeldDownload::THeldDownload(std::string fileName) : fFileName(std::move(fileName)) {
  fHandle = std::fopen(fFileName.c_str(), "rb");
}

THeldDownload::THeldDownload(const THeldDownload &held, TSecondHold) : fFileName(held.fFileName) {
  const int second = held.fHandle ? dup(fileno(static_cast<std::FILE *>(held.fHandle))) : -1;
  if (second >= 0 && !(fHandle = fdopen(second, "rb")))
    close(second);
}

THeldDownload::~THeldDownload() { Release(); }

uint64_t THeldDownload::Size() const {
  struct stat status {};
  return fHandle && fstat(fileno(static_cast<std::FILE *>(fHandle)), &status) == 0
             ? static_cast<uint64_t>(status.st_size)
             : 0;
}

// pread leaves the offset, which a second hold shares, alone.
bool THeldDownload::ReadAt(uint32_t offset, void *buffer, size_t size) const {
  if (!fHandle)
    return false;
  const int file = fileno(static_cast<std::FILE *>(fHandle));
  for (size_t done = 0; done < size;) {
    const ssize_t read =
        pread(file, static_cast<char *>(buffer) + done, size - done, off_t(offset) + off_t(done));
    if (read <= 0)
      return false;
    done += static_cast<size_t>(read);
  }
  return true;
}

void THeldDownload::Release() {
  if (fHandle)
    std::fclose(static_cast<std::FILE *>(std::exchange(fHandle, nullptr)));
}

void THeldDownload::Delete() {
  RemoveFile(fFileName);
  Release();
}
