#pragma once

#include <windows.h>

/// The processor time that the process processId has spent so far, in user and kernel mode
/// together, in milliseconds; throws std::runtime_error when the process is not running.
///
/// Read from the system's list of processes rather than with GetProcessTimes, which under Wine
/// gives the caller's own times for any process handle. Wine takes the figures from Linux, in
/// steps of one clock tick (10 ms), and lists a process only until it has ended.
double ProcessorMilliseconds(DWORD processId);
