#include "bench/quiet/QuietReport_win.h"

#include "bench/download/Measures_win.h"

#include <algorithm>
#include <cstdio>

namespace {

// The typical value and how far the values spread: the middle half and the whole range.
void PrintSpread(const char *what, const std::vector<double> &samples) {
  const auto [least, most] = std::minmax_element(samples.begin(), samples.end());
  std::printf("  %-24s median %7.1f ms; middle half %.1f-%.1f ms; range %.1f-%.1f ms\n", what,
              Median(samples), Quantile(samples, 0.25), Quantile(samples, 0.75), *least, *most);
}

void PrintSamples(const char *what, const std::vector<double> &samples) {
  std::printf("  %s samples (ms):", what);
  for (double sample : samples)
    std::printf(" %.1f", sample);
  std::printf("\n");
}

// Each start less the floor measured beside it, so that a slow moment of the machine counts on
// both sides of the difference.
std::vector<double> PairedDifferences(const TCaseSamples &samples) {
  std::vector<double> differences;
  for (size_t round = 0; round < samples.Updater.size(); ++round)
    differences.push_back(samples.Updater[round] - samples.Floor[round]);
  return differences;
}

} // namespace

void PrintQuietReport(const std::vector<TCaseSamples> &cases) {
  for (const TCaseSamples &samples : cases) {
    std::printf("%s: %zu rounds, exit code 0 and %zu request(s) in every start\n",
                samples.Name.c_str(), samples.Updater.size(), samples.Requests);
    PrintSpread("updater", samples.Updater);
    PrintSpread("bare fetch (floor)", samples.Floor);
    PrintSpread("updater - floor, paired", PairedDifferences(samples));
    std::printf("  updater / floor, medians: %.3f\n",
                Median(samples.Updater) / Median(samples.Floor));
    PrintSamples("updater", samples.Updater);
    PrintSamples("floor", samples.Floor);
  }
  const TCaseSamples &reference = cases.front();
  std::printf("\nagainst %s (medians; of updater - floor, paired):\n", reference.Name.c_str());
  for (size_t index = 1; index < cases.size(); ++index)
    std::printf("  %-40s %+7.1f ms (%+.1f %%); %+7.1f ms\n", cases[index].Name.c_str(),
                Median(cases[index].Updater) - Median(reference.Updater),
                100 * (Median(cases[index].Updater) / Median(reference.Updater) - 1),
                Median(PairedDifferences(cases[index])) - Median(PairedDifferences(reference)));
}
