#include "update/DownloadTarget.h"

#include <windows.h>

namespace {

// The file is tried as the transfer will create it: whatever lies there deleted, then made new.
DWORD TryToCreate(const std::string &file) {
  if (!DeleteFileA(file.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    return GetLastError();
  const HANDLE created = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (created == INVALID_HANDLE_VALUE)
    return GetLastError();
  CloseHandle(created);
  return ERROR_SUCCESS;
}

} // namespace

// GetTempFileNameA creates the file it names, so no other file can have that name meanwhile.
std::string DownloadTargetFor(const std::string &besideProgram) {
  const DWORD refusal = TryToCreate(besideProgram);
  if (refusal != ERROR_ACCESS_DENIED && refusal != ERROR_WRITE_PROTECT)
    return besideProgram;
  char folder[MAX_PATH + 1];
  char file[MAX_PATH];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, "upd", 0, file))
    return besideProgram;
  return file;
}
