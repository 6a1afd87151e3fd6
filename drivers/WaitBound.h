#pragma once

#include <windows.h>

#include <functional>

/// How long the driver waits for the updater to reach a state before calling it a failure:
/// generous, because a Wine process can take seconds to start on a loaded machine.
constexpr DWORD kWaitBoundMilliseconds = 30000;

/// Polls condition every pause milliseconds until it holds or bound milliseconds have passed;
/// whether it held. A benchmark that times what it waits for polls every millisecond.
bool WaitUntil(const std::function<bool()> &condition, DWORD bound = kWaitBoundMilliseconds,
               DWORD pause = 50);
