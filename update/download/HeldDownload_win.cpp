#include "update/download/HeldDownload.h"

#include "framework/FileRemoval.h"

#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <utility>

namespace {

// A link, symbolic or hard, would let whoever made it have the updater read a file of their
// choosing with the updater's rights.
bool IsPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION information;
  return GetFileInformationByHandle(file, &information) && information.nNumberOfLinks == 1 &&
         !(information.dwFileAttributes &
           (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

} // namespace

// Read access only, so that the platform's own readers (WinVerifyTrust, the version reader),
// which share reading but not deletion, can still open it by name; shared for deletion, so that
// it can be moved over the program while held. A link is opened as itself, never followed.
THeldDownload::THeldDownload(std::string fileName) : fFileName(std::move(fileName)) {
  HANDLE file = CreateFileW(WideFromUtf8(fFileName).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  if (IsPlainFile(file))
    fHandle = file;
  else
    CloseHandle(file);
}

THeldDownload::THeldDownload(const THeldDownload &held, TSecondHold) : fFileName(held.fFileName) {
  HANDLE second = nullptr;
  if (held.fHandle && DuplicateHandle(GetCurrentProcess(), held.fHandle, GetCurrentProcess(),
                                      &second, 0, FALSE, DUPLICATE_SAME_ACCESS))
    fHandle = second;
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
  RemoveFile(fFileName);
  Release();
}
