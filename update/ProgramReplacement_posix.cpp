#include "update/ProgramReplacement.h"

#include <cstdio>

// POSIX rename replaces an existing target in one step.
bool ReplaceProgramFile(const std::string &download, const std::string &program) {
  return std::rename(download.c_str(), program.c_str()) == 0;
}
