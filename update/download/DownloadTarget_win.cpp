#include "update/download/DownloadTarget.h"

#include "framework/win32/WholePath_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <cstdio>

namespace {

constexpr DWORD kTemporaryNames = 0x10000; // "upd0000.tmp" to "updFFFF.tmp"

// The file is tried as the transfer will create it: whatever lies there deleted, then made new.
DWORD TryToCreate(const std::string &file) {
  const std::wstring name = WideFromUtf8(file);
  if (!DeleteFileW(name.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
    return GetLastError();
  const HANDLE created = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (created == INVALID_HANDLE_VALUE)
    return GetLastError();
  CloseHandle(created);
  return ERROR_SUCCESS;
}

// A new, empty file of folder, named as GetTempFileName names its files but in a folder of any
// length; it is created here, so that no other file can take its name meanwhile.
std::string NewTemporaryFile(const std::string &folder) {
  const DWORD first = GetTickCount();
  for (DWORD tried = 0; tried < kTemporaryNames; ++tried) {
    char name[16];
    std::snprintf(name, sizeof name, "upd%04lX.tmp",
                  static_cast<unsigned long>((first + tried) % kTemporaryNames));
    const std::string file = folder + name;
    const HANDLE created = CreateFileW(WideFromUtf8(file).c_str(), GENERIC_WRITE, 0, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
      CloseHandle(created);
      return file;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
      return std::string();
  }
  return std::string();
}

} // namespace

std::string DownloadTargetFor(const std::string &besideProgram) {
  const DWORD refusal = TryToCreate(besideProgram);
  if (refusal != ERROR_ACCESS_DENIED && refusal != ERROR_WRITE_PROTECT)
    return besideProgram;
  const std::string folder = WholePath(GetTempPathW);
  const std::string file = folder.empty() ? std::string() : NewTemporaryFile(folder);
  return file.empty() ? besideProgram : file;
}
