#include "update/ProfileReader_win.h"

#include <windows.h>

std::string ReadPrivateProfileString(const std::string &file, const std::string &section,
                                     const std::string &key, const std::string &defaultValue) {
  char value[2048];
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                value, sizeof value, file.c_str());
  return std::string(value, length);
}
