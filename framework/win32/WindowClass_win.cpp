#include "framework/win32/WindowClass_win.h"

#include "framework/win32/WideText_win.h"

const char *RegisteredWindowClass(const TWindowClass &windowClass) {
  const std::wstring name = WideFromUtf8(windowClass.Name);
  WNDCLASSW registered = {};
  const HINSTANCE module = GetModuleHandleW(nullptr);
  if (!GetClassInfoW(module, name.c_str(), &registered)) {
    registered.lpfnWndProc = windowClass.WindowProc;
    registered.hInstance = module;
    registered.hIcon = windowClass.Icon;
    registered.hCursor = windowClass.Cursor;
    registered.hbrBackground = windowClass.Background;
    registered.lpszClassName = name.c_str();
    RegisterClassW(&registered);
  }
  return windowClass.Name;
}
