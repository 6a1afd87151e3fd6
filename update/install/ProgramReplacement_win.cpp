#include "update/install/ProgramReplacement.h"

#include "framework/win32/FileIdentity_win.h"
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
  const TFileHandle file = OpenForAttributes(WideFromUtf8(program));
  BY_HANDLE_FILE_INFORMATION information;
  DWORD volumeFlags = 0;
  return file.Get() != INVALID_HANDLE_VALUE &&
         GetFileInformationByHandle(file.Get(), &information) &&
         ((information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 ||
          (GetVolumeInformationByHandleW(file.Get(), nullptr, 0, nullptr, nullptr, &volumeFlags,
                                         nullptr, 0) &&
           (volumeFlags & FILE_READ_ONLY_VOLUME) != 0));
}
