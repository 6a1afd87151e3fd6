#include "framework/FileExtension.h"

std::string ChangeFileExt(const std::string &path, const std::string &extension,
                          TLeadByteTest isLeadByte) {
  size_t lastDelimiter = std::string::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (isLeadByte(byte)) {
      ++i;
      continue;
    }
    if (byte == '.' || byte == '\\' || byte == ':')
      lastDelimiter = i;
  }
  if (lastDelimiter != std::string::npos && path[lastDelimiter] == '.')
    return path.substr(0, lastDelimiter) + extension;
  return path + extension;
}
