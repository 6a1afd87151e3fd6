#include "httpget/TargetFile.h"

#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <stdexcept>
#include <utility>

// CREATE_NEW: should anyone plant the name again between the deletion and the creation, the
// transfer fails rather than write into their file.
TTargetFile TTargetFile::Create(const std::string &fileName) {
  const std::wstring name = WideFromUtf8(fileName);
  if (!DeleteFileW(name.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    throw std::runtime_error("cannot delete the old " + fileName);
  HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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

void TTargetFile::Truncate() {
  if (SetFilePointer(fHandle, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
      !SetEndOfFile(fHandle))
    throw std::runtime_error("cannot empty the target file");
}

void TTargetFile::Flush() {
  if (!FlushFileBuffers(fHandle))
    throw std::runtime_error("cannot flush the target file");
}
