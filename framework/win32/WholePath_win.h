#pragma once

#include <windows.h>

#include <string>

/// The path that a call shaped like GetTempPathW or GetCurrentDirectoryW gives, however long;
/// "" when the call fails. Never a path cut short, which would name another folder.
std::string WholePath(DWORD(WINAPI *get)(DWORD size, LPWSTR buffer));
