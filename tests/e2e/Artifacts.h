#pragma once

#include <windows.h>

#include <string>

/// Keeps a picture of the visible windows of the process, as the screen shows them, as
/// name.bmp in the folder for test artifacts; false when it could not.
bool KeepScreenshot(DWORD processId, const std::string &name);
