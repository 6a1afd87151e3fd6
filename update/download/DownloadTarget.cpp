#include "update/download/DownloadTarget.h"

#include "framework/FileExtension.h"

std::string TemporaryNameBeside(const std::string &program) {
  return ChangeFileExt(program, "~.tmp");
}
