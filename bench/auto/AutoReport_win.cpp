#include "bench/auto/AutoReport_win.h"

#include "bench/download/Measures_win.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

namespace {

template <class TField>
std::vector<double> Samples(const std::vector<TRoundMeasures> &rounds, TField field) {
  std::vector<double> samples;
  for (const TRoundMeasures &round : rounds)
    samples.push_back(round.*field);
  return samples;
}

void PrintFigure(const std::string &what, const std::vector<double> &samples, const char *goal) {
  // What a user feels: the typical round and the worst one.
  std::printf("%s, %zu rounds: median %.1f ms, worst %.1f ms%s\n  samples (ms):", what.c_str(),
              samples.size(), Median(samples), *std::max_element(samples.begin(), samples.end()),
              goal);
  for (double sample : samples)
    std::printf(" %.1f", sample);
  std::printf("\n");
}

} // namespace

void PrintReport(const std::vector<TRoundMeasures> &rounds) {
  PrintFigure("new program in place after the call that ended the program's last instance",
              Samples(rounds, &TRoundMeasures::InPlaceMs), " (goal: under 1000 ms)");
  PrintFigure("  of which the instance's handle signalled",
              Samples(rounds, &TRoundMeasures::ProgramEndedMs), "");
  PrintFigure("  updater ended, exit code 1 in every round",
              Samples(rounds, &TRoundMeasures::UpdaterEndedMs), "");
  std::vector<TRoundMeasures> held;
  std::copy_if(rounds.begin(), rounds.end(), std::back_inserter(held),
               [](const TRoundMeasures &round) { return round.HeldSeconds >= 1; });
  if (!held.empty()) {
    char what[160];
    std::snprintf(what, sizeof what,
                  "updater's processor time (user + kernel) over %.1f s of waiting, the program "
                  "running",
                  Median(Samples(held, &TRoundMeasures::HeldSeconds)));
    PrintFigure(what, Samples(held, &TRoundMeasures::WaitingProcessorMs), " (goal: near zero)");
  }
  PrintFigure("updater's processor time from its start to the program's end",
              Samples(rounds, &TRoundMeasures::ProcessorMs), "");
}
