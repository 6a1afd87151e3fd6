#include "framework/FileRemoval.h"

#include "framework/win32/WideText_win.h"

#include <windows.h>

// The C runtime's remove takes the path in the system code page, which cannot spell every name.
bool RemoveFile(const std::string &path) { return DeleteFileW(WideFromUtf8(path).c_str()) != 0; }
