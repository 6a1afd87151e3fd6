#pragma once

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

// What every measured run of the benchmarks reads off: the clock and the memory.

using TClock = std::chrono::steady_clock;

double MillisecondsBetween(TClock::time_point from, TClock::time_point to);
/// The value below which fraction (0 to 1) of values lie, between the two nearest samples where
/// it falls between them; values must not be empty.
double Quantile(std::vector<double> values, double fraction);
/// The middle of values, or the mean of the two middle ones; values must not be empty.
double Median(std::vector<double> values);
/// The most memory the process has had in its working set so far, in MiB; this process unless
/// another one's handle is given. Under Wine the figure is the Linux process's peak resident set,
/// readable only while the process runs.
double PeakWorkingSetMiB(HANDLE process = GetCurrentProcess());

/// One figure of every round, in the rounds' order.
template <class TRound, class TFigure>
std::vector<double> Samples(const std::vector<TRound> &rounds, TFigure TRound::*figure) {
  std::vector<double> samples;
  for (const TRound &round : rounds)
    samples.push_back(static_cast<double>(round.*figure));
  return samples;
}

/// Prints a figure over rounds as a user feels it, the typical round and the worst one, in unit,
/// with goal after it (" (goal: ...)" or ""), and every sample on a line of its own.
void PrintFigure(const std::string &what, const std::vector<double> &samples, const char *unit,
                 const char *goal);
