#include "framework/win32/WholePath_win.h"

#include "framework/win32/WideText_win.h"

// Asked with too small a buffer, the call tells the size it needs, its NUL counted; the path
// may grow between two calls, and then it is asked again.
std::string WholePath(DWORD(WINAPI *get)(DWORD size, LPWSTR buffer)) {
  DWORD size = get(0, nullptr);
  while (size != 0) {
    std::wstring path(size, L'\0');
    const DWORD length = get(size, path.data());
    if (length < size)
      return Utf8FromWide(path.data(), length);
    size = length;
  }
  return std::string();
}
