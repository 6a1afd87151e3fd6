#include "framework/FileExtension.h"

std::string ChangeFileExt(const std::string &path, const std::string &extension) {
  const size_t lastDelimiter = path.find_last_of(".\\:");
  if (lastDelimiter != std::string::npos && path[lastDelimiter] == '.')
    return path.substr(0, lastDelimiter) + extension;
  return path + extension;
}
