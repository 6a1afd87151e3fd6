#pragma once

#include "framework/win32/Handles_win.h"

#include <string>
#include <vector>

/// The processes of the session's user, other than this one, that run program: the same full
/// path, short names spelt out, in any letter case, as the file system compares names. Each is
/// opened so that it can be waited for; a process that may not be opened so is not found.
std::vector<TKernelHandle> ProcessesRunning(const std::string &program);
