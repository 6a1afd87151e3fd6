#pragma once

#include "framework/win32/Handles_win.h"

#include <string>
#include <vector>

/// The processes of the session's user, other than this one, that run program: the same file,
/// through whatever path each was started (see TFileIdentity). Each is opened so that it can be
/// waited for; a process that may not be opened so, or whose program file may not be opened to
/// read its attributes, is not found; nor is any while program itself cannot be.
std::vector<TKernelHandle> ProcessesRunning(const std::string &program);
