#pragma once

#include <windows.h>

#include <string>

/// The full path of module's file, UTF-8 (nullptr: the program's own), however long; "" when it
/// cannot be had. Never a path cut short, which would name another file.
std::string ModuleFileName(HMODULE module);
