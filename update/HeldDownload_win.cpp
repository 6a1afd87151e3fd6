#include "update/HeldDownload.h"

#include <windows.h>

#include <utility>

// Read access only, so that the platform's own readers (WinVerifyTrust, the version reader),
// which share reading but not deletion, can still open it by name; shared for deletion, so that
// it can be moved over the program while held.
THeldDownload::THeldDownload(std::string fileName) : fFileName(std::move(fileName)) {
  HANDLE file = CreateFileA(fFileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    fHandle = file;
}

THeldDownload::~THeldDownload() { Release(); }

uint64_t THeldDownload::Size() const {
  LARGE_INTEGER size = {};
  return fHandle && GetFileSizeEx(fHandle, &size) ? static_cast<uint64_t>(size.QuadPart) : 0;
}

// An explicit offset on every read: WinVerifyTrust moves the file pointer of the same handle.
bool THeldDownload::ReadAt(uint32_t offset, void *buffer, size_t size) const {
  OVERLAPPED at = {};
  at.Offset = offset;
  DWORD read = 0;
  return fHandle && ReadFile(fHandle, buffer, static_cast<DWORD>(size), &read, &at) && read == size;
}

void THeldDownload::Release() {
  if (fHandle)
    CloseHandle(std::exchange(fHandle, nullptr));
}

void THeldDownload::Delete() {
  DeleteFileA(fFileName.c_str());
  Release();
}
