#include "httpget/TargetFile.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

TTargetFile TTargetFile::Create(const std::string &fileName) {
  HANDLE file = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot create " + fileName);
  return TTargetFile(file);
}

TTargetFile::~TTargetFile() {
  if (fHandle)
    CloseHandle(fHandle);
}

TTargetFile::TTargetFile(TTargetFile &&other) noexcept
    : fHandle(std::exchange(other.fHandle, nullptr)) {}

void TTargetFile::Write(const char *data, size_t size) {
  DWORD written = 0;
  if (!WriteFile(fHandle, data, static_cast<DWORD>(size), &written, nullptr) || written != size)
    throw std::runtime_error("cannot write the target file");
}
