#include "bench/download/Measures_win.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <utility>

double MillisecondsBetween(TClock::time_point from, TClock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

double Quantile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const double at = fraction * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(at);
  if (below + 1 >= values.size())
    return values.back();
  return values[below] + (at - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

double Median(std::vector<double> values) { return Quantile(std::move(values), 0.5); }

double PeakWorkingSetMiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, &counters, sizeof counters);
  return counters.PeakWorkingSetSize / 1048576.0;
}

void PrintFigure(const std::string &what, const std::vector<double> &samples, const char *unit,
                 const char *goal) {
  std::printf("%s, %zu rounds: median %.1f %s, worst %.1f %s%s\n  samples (%s):", what.c_str(),
              samples.size(), Median(samples), unit,
              *std::max_element(samples.begin(), samples.end()), unit, goal, unit);
  for (double sample : samples)
    std::printf(" %.1f", sample);
  std::printf("\n");
}
