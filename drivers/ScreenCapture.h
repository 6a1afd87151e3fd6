#pragma once

#include <windows.h>

#include <string>

/// Writes what the screen shows inside area (screen coordinates, clipped to the screen) to
/// path (UTF-8) as a 24-bit BMP file; false when nothing could be captured or written.
bool SaveScreenArea(const RECT &area, const std::string &path);
