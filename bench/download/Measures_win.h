#pragma once

#include <chrono>

// What every measured run of the download benchmark reads off: the clock and the memory.

using TClock = std::chrono::steady_clock;

double MillisecondsBetween(TClock::time_point from, TClock::time_point to);
/// The most memory this process has had in its working set so far, in MiB.
double PeakWorkingSetMiB();
