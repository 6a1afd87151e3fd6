#include "update/request/ProfileReader_win.h"

#include "framework/win32/WideText_win.h"
#include "update/request/Settings.h"

#include <windows.h>

// The private-profile call reads a file saved in the system's ANSI code page as it always has,
// and a UTF-16 file with its byte-order mark whole. One character more than a setting may hold
// is read, so that a longer value shows as longer instead of being cut silently to a URL that
// means something else.
std::string ReadPrivateProfileString(const std::string &file, const std::string &section,
                                     const std::string &key, const std::string &defaultValue) {
  std::wstring value(kMaxSettingLength + 2, L'\0');
  const DWORD length = GetPrivateProfileStringW(
      WideFromUtf8(section).c_str(), WideFromUtf8(key).c_str(), WideFromUtf8(defaultValue).c_str(),
      value.data(), static_cast<DWORD>(value.size()), WideFromUtf8(file).c_str());
  return Utf8FromWide(value.data(), length);
}
