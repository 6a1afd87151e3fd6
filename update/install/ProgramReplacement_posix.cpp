#include "update/install/ProgramReplacement.h"

#include <sys/stat.h>

#include <cstdio>

// POSIX rename replaces an existing target in one step.
bool ReplaceProgramFile(const std::string &download, const std::string &program) {
  return std::rename(download.c_str(), program.c_str()) == 0;
}

// Here a file without its owner's write permission stands for one marked read-only.
bool ProgramIsReadOnly(const std::string &program) {
  struct stat status;
  return stat(program.c_str(), &status) == 0 && (status.st_mode & S_IWUSR) == 0;
}
