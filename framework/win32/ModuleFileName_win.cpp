#include "framework/win32/ModuleFileName_win.h"

#include <vector>

namespace {

constexpr DWORD kLongestPath = 32768; // what the platform's long paths may reach

} // namespace

// GetModuleFileNameA fills the whole buffer when the path does not fit, and then the buffer
// is doubled until it does.
std::string ModuleFileName(HMODULE module) {
  for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
    std::vector<char> path(size);
    const DWORD length = GetModuleFileNameA(module, path.data(), size);
    if (length == 0)
      return std::string();
    if (length < size)
      return std::string(path.data(), length);
  }
  return std::string();
}
