#include "framework/win32/ModuleFileName_win.h"

#include "framework/win32/WideText_win.h"

namespace {

constexpr DWORD kShortestBuffer = 256;
constexpr DWORD kLongestPath = 32768; // what the platform's long paths may reach

} // namespace

// GetModuleFileNameW fills the whole buffer when the path does not fit, and then the buffer
// is doubled until it does.
std::string ModuleFileName(HMODULE module) {
  for (DWORD size = kShortestBuffer; size <= kLongestPath; size *= 2) {
    std::wstring path(size, L'\0');
    const DWORD length = GetModuleFileNameW(module, path.data(), size);
    if (length == 0)
      return std::string();
    if (length < size)
      return Utf8FromWide(path.data(), length);
  }
  return std::string();
}
