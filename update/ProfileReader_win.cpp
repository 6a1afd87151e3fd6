#include "update/ProfileReader_win.h"

#include "update/Settings.h"

#include <windows.h>

// One character more than a setting may hold, so that a longer value shows as longer instead
// of being cut silently to a URL that means something else.
std::string ReadPrivateProfileString(const std::string &file, const std::string &section,
                                     const std::string &key, const std::string &defaultValue) {
  char value[kMaxSettingLength + 2];
  const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(),
                                                value, sizeof value, file.c_str());
  return std::string(value, length);
}
