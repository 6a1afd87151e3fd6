#pragma once

#include <chrono>
#include <vector>

// What every measured run of the download benchmark reads off: the clock and the memory.

using TClock = std::chrono::steady_clock;

double MillisecondsBetween(TClock::time_point from, TClock::time_point to);
/// The middle of values, or the mean of the two middle ones; values must not be empty.
double Median(std::vector<double> values);
/// The most memory this process has had in its working set so far, in MiB.
double PeakWorkingSetMiB();
