#include "bench/download/DownloadReport_win.h"

#include "bench/download/ChildRun_win.h"
#include "bench/download/Measures_win.h"

#include <cstdio>
#include <vector>

namespace {

constexpr char kLargeFile[] = "64mib.bin";
constexpr char kSmallFile[] = "8mib.bin";
constexpr char kRecordedFile[] = "1mib.bin"; // small, so that the transfer's own spread is too
constexpr int kRounds = 5;
constexpr int kVerifyRounds = 3;
constexpr int kRecordRounds = 15;

// Times and peak working sets of the runs, as the children printed them.
struct TSamples {
  std::vector<double> Milliseconds, PeakMiB, WaitMicros, HandlerMicros, WholeMilliseconds;
  void Add(const std::vector<double> &run) {
    Milliseconds.push_back(run.at(0));
    PeakMiB.push_back(run.at(1));
    if (run.size() >= 4) {
      WaitMicros.push_back(run[2]);
      HandlerMicros.push_back(run[3]);
    }
    if (run.size() == 5)
      WholeMilliseconds.push_back(run[4]);
  }
};

void PrintSamples(const char *path, const TSamples &samples) {
  std::printf("%-8s %s: median %8.1f ms; samples", path, kLargeFile, Median(samples.Milliseconds));
  for (size_t i = 0; i < samples.Milliseconds.size(); ++i)
    std::printf("  %.1f ms/%.1f MiB", samples.Milliseconds[i], samples.PeakMiB[i]);
  std::printf("\n         per chunk, the worker waits %.1f us for the user-interface thread, of "
              "which the handler takes %.1f us (medians)\n",
              Median(samples.WaitMicros), Median(samples.HandlerMicros));
}

} // namespace

int RunWholeBenchmark(const std::string &server, const std::string &folder,
                      const std::string &served) {
  const auto arguments = [&](const char *mode, const char *file) {
    return std::string(mode) + " " + server + " " + file + " \"" + folder + "\"";
  };
  TSamples updater, bare;
  // Alternated, so that a slow phase of the machine falls on both paths alike.
  for (int round = 0; round < kRounds; ++round) {
    updater.Add(RunChild(arguments("--updater", kLargeFile)));
    bare.Add(RunChild(arguments("--bare", kLargeFile)));
  }
  const std::vector<double> small = RunChild(arguments("--updater", kSmallFile));
  // An update with and without its release record, alternated, each first in every other round.
  TSamples plain, recorded;
  std::vector<double> recordCosts;
  for (int round = 0; round < kRecordRounds; ++round) {
    for (const bool withRecord : {round % 2 == 0, round % 2 != 0})
      (withRecord ? recorded : plain)
          .Add(RunChild(arguments(withRecord ? "--record" : "--updater", kRecordedFile)));
    recordCosts.push_back(recorded.WholeMilliseconds.back() - plain.WholeMilliseconds.back());
  }
  const std::vector<double> latencies = RunChild(arguments("--cancel", kLargeFile));
  TSamples verifySmall, verifyLarge;
  for (int round = 0; round < kVerifyRounds; ++round) {
    verifySmall.Add(RunChild("--verify \"" + served + "\" " + kSmallFile));
    verifyLarge.Add(RunChild("--verify \"" + served + "\" " + kLargeFile));
  }

  PrintSamples("updater", updater);
  PrintSamples("bare", bare);
  std::printf("ratio updater/bare: %.3f (target: at most 1.05)\n",
              Median(updater.Milliseconds) / Median(bare.Milliseconds));
  std::printf("peak working set of the updater's download: %s %.1f MiB, %s %.1f MiB (median); "
              "bare loop %.1f MiB (target: no growth with the file)\n",
              kSmallFile, small.at(1), kLargeFile, Median(updater.PeakMiB), Median(bare.PeakMiB));
  std::printf("\"Abort\" question after a click on Cancel: median %.1f ms (target: within 100 "
              "ms); samples",
              Median(latencies));
  for (double latency : latencies)
    std::printf("  %.1f ms", latency);
  std::printf("\n");
  std::printf("check with the publisher's key (P-256, SHA-256 of the whole file), median of %d: "
              "%s %.1f ms, %s %.1f ms, %.2f %% of the updater's %s download (target: under 5 %%); "
              "peak working set %.1f MiB and %.1f MiB (target: no growth with the file)\n",
              kVerifyRounds, kSmallFile, Median(verifySmall.Milliseconds), kLargeFile,
              Median(verifyLarge.Milliseconds),
              100 * Median(verifyLarge.Milliseconds) / Median(updater.Milliseconds), kLargeFile,
              Median(verifySmall.PeakMiB), Median(verifyLarge.PeakMiB));
  std::printf("%s from the version check to the question after the download, median of %d: "
              "%.1f ms without a release record, %.1f ms with one (its request, and the SHA-256 "
              "of the download); paired difference, median %.1f ms\n",
              kRecordedFile, kRecordRounds, Median(plain.WholeMilliseconds),
              Median(recorded.WholeMilliseconds), Median(recordCosts));
  for (const TSamples *samples : {&plain, &recorded}) {
    std::printf("  %s samples", samples == &plain ? "without" : "with");
    for (double milliseconds : samples->WholeMilliseconds)
      std::printf("  %.1f", milliseconds);
    std::printf(" ms\n");
  }
  return 0;
}
