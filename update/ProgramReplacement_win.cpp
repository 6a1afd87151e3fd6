#include "update/ProgramReplacement.h"

#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

// Write-through: the new name is on disk before the user is told the update is done.
bool ReplaceProgramFile(const std::string &download, const std::string &program) {
  return MoveFileExW(WideFromUtf8(download).c_str(), WideFromUtf8(program).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// The attribute stops a move over the file even for an administrator; the updater never clears
// it, since its owner set it.
bool ProgramIsReadOnly(const std::string &program) {
  const std::wstring path = WideFromUtf8(program);
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return false;
  if (attributes & FILE_ATTRIBUTE_READONLY)
    return true;
  const TFileHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  DWORD volumeFlags = 0;
  return file.Get() != INVALID_HANDLE_VALUE &&
         GetVolumeInformationByHandleW(file.Get(), nullptr, 0, nullptr, nullptr, &volumeFlags,
                                       nullptr, 0) &&
         (volumeFlags & FILE_READ_ONLY_VOLUME) != 0;
}
