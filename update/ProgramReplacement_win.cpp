#include "update/ProgramReplacement.h"

#include <windows.h>

// Write-through: the new name is on disk before the user is told the update is done.
bool ReplaceProgramFile(const std::string &download, const std::string &program) {
  return MoveFileExA(download.c_str(), program.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}
