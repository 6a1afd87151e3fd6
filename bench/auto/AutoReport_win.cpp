#include "bench/auto/AutoReport_win.h"

#include "bench/download/Measures_win.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

void PrintReport(const std::vector<TRoundMeasures> &rounds) {
  PrintFigure("new program in place after the call that ended the program's last instance",
              Samples(rounds, &TRoundMeasures::InPlaceMs), "ms", " (goal: under 1000 ms)");
  PrintFigure("  of which the instance's handle signalled",
              Samples(rounds, &TRoundMeasures::ProgramEndedMs), "ms", "");
  PrintFigure("  updater ended, exit code 1 in every round",
              Samples(rounds, &TRoundMeasures::UpdaterEndedMs), "ms", "");
  std::vector<TRoundMeasures> held;
  std::copy_if(rounds.begin(), rounds.end(), std::back_inserter(held),
               [](const TRoundMeasures &round) { return round.HeldSeconds >= 1; });
  if (!held.empty()) {
    char what[160];
    std::snprintf(what, sizeof what,
                  "updater's processor time (user + kernel) over %.1f s of waiting, the program "
                  "running",
                  Median(Samples(held, &TRoundMeasures::HeldSeconds)));
    PrintFigure(what, Samples(held, &TRoundMeasures::WaitingProcessorMs), "ms",
                " (goal: near zero)");
  }
  PrintFigure("updater's processor time from its start to the program's end",
              Samples(rounds, &TRoundMeasures::ProcessorMs), "ms", "");
}
