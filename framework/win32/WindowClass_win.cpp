#include "framework/win32/WindowClass_win.h"

const char *RegisteredWindowClass(const TWindowClass &windowClass) {
  WNDCLASSA registered = {};
  const HINSTANCE module = GetModuleHandleA(nullptr);
  if (!GetClassInfoA(module, windowClass.Name, &registered)) {
    registered.lpfnWndProc = windowClass.WindowProc;
    registered.hInstance = module;
    registered.hIcon = windowClass.Icon;
    registered.hCursor = windowClass.Cursor;
    registered.hbrBackground = windowClass.Background;
    registered.lpszClassName = windowClass.Name;
    RegisterClassA(&registered);
  }
  return windowClass.Name;
}
