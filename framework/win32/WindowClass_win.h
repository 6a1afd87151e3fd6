#pragma once

#include <windows.h>

/// What a window class of this program is made of; what is left empty is the window system's
/// default.
struct TWindowClass {
  const char *Name;
  WNDPROC WindowProc;
  HICON Icon = nullptr;
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
};

/// Registers windowClass with this program's module, once: a class of that name that is
/// registered already stays as it is. Returns the class's name.
const char *RegisteredWindowClass(const TWindowClass &windowClass);
