#include "bench/delta/UpdateReport_win.h"

#include "bench/download/Measures_win.h"

#include <algorithm>
#include <cstdio>

namespace {

double ProgramMiB(const TCaseRounds &rounds) {
  return static_cast<double>(std::max(rounds.OldSize, rounds.NewSize)) / 1048576.0;
}

void PrintRequests(const char *road, const TUpdateMeasures &round) {
  std::printf("  requests of a round, %s:", road);
  for (const TServedRequest &request : round.Requests)
    std::printf("  %s %d, %llu B body, %llu B sent", request.Path.c_str(), request.Status,
                static_cast<unsigned long long>(request.BodyBytes),
                static_cast<unsigned long long>(request.SentBytes));
  std::printf("\n");
}

} // namespace

void PrintCase(const TCaseRounds &rounds) {
  std::printf("\ncase %s: installed program %llu B, new program %llu B\n", rounds.Name.c_str(),
              static_cast<unsigned long long>(rounds.OldSize),
              static_cast<unsigned long long>(rounds.NewSize));
  PrintRequests("whole file", rounds.Whole.front());
  PrintRequests("delta", rounds.Delta.front());
  const double wholeSent = Median(Samples(rounds.Whole, &TUpdateMeasures::SentBytes));
  const double deltaSent = Median(Samples(rounds.Delta, &TUpdateMeasures::SentBytes));
  std::printf("  bytes on the wire (server to updater, headers included, every request of a "
              "round): whole file %.0f B, delta %.0f B: delta/whole %.3f; bodies alone %.0f B "
              "and %.0f B\n",
              wholeSent, deltaSent, deltaSent / wholeSent,
              Median(Samples(rounds.Whole, &TUpdateMeasures::BodyBytes)),
              Median(Samples(rounds.Delta, &TUpdateMeasures::BodyBytes)));
  const std::vector<double> wholeMs = Samples(rounds.Whole, &TUpdateMeasures::YesToCheckedMs);
  const std::vector<double> deltaMs = Samples(rounds.Delta, &TUpdateMeasures::YesToCheckedMs);
  PrintFigure("  Yes to the checked file (\"Replace?\"), whole file", wholeMs, "ms", "");
  PrintFigure("  Yes to the checked file (\"Replace?\"), delta", deltaMs, "ms", "");
  std::printf("  delta/whole time: %.3f (medians)\n", Median(deltaMs) / Median(wholeMs));
  PrintFigure("  longest the dialog left a message unanswered meanwhile, whole file",
              Samples(rounds.Whole, &TUpdateMeasures::LongestUnansweredMs), "ms", "");
  PrintFigure("  longest the dialog left a message unanswered meanwhile, delta",
              Samples(rounds.Delta, &TUpdateMeasures::LongestUnansweredMs), "ms",
              " (goal: within 100 ms)");
  PrintFigure("  updater's peak working set, whole file",
              Samples(rounds.Whole, &TUpdateMeasures::PeakMiB), "MiB", "");
  char goal[80];
  std::snprintf(goal, sizeof goal, " (goal: under 2.5 x program + 16 MiB = %.1f MiB)",
                2.5 * ProgramMiB(rounds) + 16);
  const std::vector<double> deltaPeaks = Samples(rounds.Delta, &TUpdateMeasures::PeakMiB);
  PrintFigure("  updater's peak working set, delta", deltaPeaks, "MiB", goal);
  // The whole file's road holds nothing that grows with the program: what the delta's road
  // takes above it is what the delta costs.
  const double above =
      Median(deltaPeaks) - Median(Samples(rounds.Whole, &TUpdateMeasures::PeakMiB));
  std::printf(
      "  the delta's peak above the whole file's: %.1f MiB, %.2f x the program (%.2f MiB)\n", above,
      above / ProgramMiB(rounds), ProgramMiB(rounds));
}
