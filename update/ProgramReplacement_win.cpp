#include "update/ProgramReplacement.h"

#include "framework/win32/WideText_win.h"

#include <windows.h>

// Write-through: the new name is on disk before the user is told the update is done.
bool ReplaceProgramFile(const std::string &download, const std::string &program) {
  return MoveFileExW(WideFromUtf8(download).c_str(), WideFromUtf8(program).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
