// What an update by delta costs against the whole file, under Wine, and what rebuilding a program
// from a delta costs on its own. tools/bench-delta makes the programs and their deltas, serves
// them and runs it on one processor.
//
//   bench_delta decode <old> <delta> <new> <folder>
//       the decoding alone, RebuildFromDelta and the decoder component, and how soon a stop
//       request ends it; the component writes into <folder>
//   bench_delta updates <server> <updater.exe> <cases> <folder> <served log> <case>...
//       updates through the updater.exe that ships, in a Wine virtual desktop: for each case,
//       the installed program <cases>\<case>\old.exe, the new one served as <case>/new.exe with
//       its delta beside it; each round in a new folder in <folder>
#include "bench/delta/DecodeRounds_win.h"
#include "bench/delta/DecoderRounds_win.h"
#include "bench/delta/UpdateReport_win.h"
#include "bench/delta/UpdateRound_win.h"
#include "bench/download/Measures_win.h"
#include "drivers/WholeFile.h"
#include "drivers/WineDesktop.h"
#include "update/verify/FileDigest.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr int kDecodeRounds = 20;
constexpr int kStopRounds = 20;
constexpr int kUpdateRounds = 5;

// Stops spread evenly over a rebuild that typically takes typicalMs: round i of n stops at
// (i + 0.5) / n of it. Those that come after the rebuild's end are counted, not measured.
void PrintStops(const std::string &what, double typicalMs,
                const std::function<std::optional<double>(DWORD delay)> &stopAfter) {
  std::vector<double> latencies;
  for (int round = 0; round < kStopRounds; ++round)
    if (const std::optional<double> latency =
            stopAfter(static_cast<DWORD>(typicalMs * (round + 0.5) / kStopRounds)))
      latencies.push_back(*latency);
  if (latencies.empty())
    throw std::runtime_error("no stop request came while a rebuild ran");
  PrintFigure(what + " (" + std::to_string(kStopRounds - latencies.size()) +
                  " of the stops came after the end)",
              latencies, "ms", " (goal: within 100 ms)");
}

int RunDecodeBenchmark(const std::vector<std::string> &args) {
  const TDeltaFiles files{ReadWholeFile(args[0]), ReadWholeFile(args[1]), ReadWholeFile(args[2])};
  std::printf("program of %zu B rebuilt from a delta of %zu B against one of %zu B\n",
              files.New.size(), files.Delta.size(), files.Old.size());
  std::vector<double> digests;
  for (int round = 0; round < kDecodeRounds; ++round) {
    const TClock::time_point started = TClock::now();
    if (!Sha256OfFile(args[0]))
      throw std::runtime_error("cannot hash " + args[0]);
    digests.push_back(MillisecondsBetween(started, TClock::now()));
  }
  PrintFigure("SHA-256 of the installed program, which names the delta asked for", digests, "ms",
              "");
  std::vector<double> rebuilds;
  for (int round = 0; round < kDecodeRounds; ++round)
    rebuilds.push_back(TimeRebuild(files));
  PrintFigure("RebuildFromDelta, memory to memory", rebuilds, "ms", " (goal: under 200 ms)");

  TDecoderRounds decoder(args[0], args[1], args[3] + "\\rebuilt.tmp");
  std::vector<double> decoderRebuilds;
  for (int round = 0; round < kDecodeRounds; ++round)
    decoderRebuilds.push_back(decoder.TimeRebuild(files.New));
  PrintFigure("TDeltaDecoder, Rebuild to OnDone: files read, the new program written and flushed",
              decoderRebuilds, "ms", "");

  PrintStops("stop flag raised to RebuildFromDelta's return", Median(rebuilds),
             [&](DWORD delay) { return TimeStop(files, delay); });
  PrintStops("TDeltaDecoder::Abort to OnError", Median(decoderRebuilds),
             [&](DWORD delay) { return decoder.TimeAbort(delay); });
  return 0;
}

int RunUpdateBenchmark(const std::vector<std::string> &args) {
  const std::string &cases = args[2], &folder = args[3];
  for (size_t name = 5; name < args.size(); ++name) {
    const std::string caseFolder = cases + "\\" + args[name];
    const TUpdateCase update{
        args[0], args[1], args[name], caseFolder + "\\old.exe", caseFolder + "\\new.exe", args[4]};
    TCaseRounds rounds{args[name],
                       ReadWholeFile(update.OldProgram).size(),
                       ReadWholeFile(update.NewProgram).size(),
                       {},
                       {}};
    // Alternated, so that a slow phase of the machine falls on both roads alike.
    for (int round = 1; round <= kUpdateRounds; ++round) {
      const std::string prefix = folder + "\\" + args[name] + " " + std::to_string(round);
      rounds.Whole.push_back(RunUpdate(update, prefix + " whole", false));
      rounds.Delta.push_back(RunUpdate(update, prefix + " delta", true));
      std::fprintf(stderr, "case %s: round %d of %d done\n", args[name].c_str(), round,
                   kUpdateRounds);
    }
    PrintCase(rounds);
    std::fflush(stdout);
  }
  return 0;
}

int Run(const std::vector<std::string> &args) {
  if (args.size() == 5 && args[0] == "decode")
    return RunDecodeBenchmark({args.begin() + 1, args.end()});
  if (args.size() >= 7 && args[0] == "updates")
    return RunUpdateBenchmark({args.begin() + 1, args.end()});
  std::fprintf(stderr, "usage: bench_delta decode <old> <delta> <new> <folder>\n"
                       "       bench_delta updates <server> <updater.exe> <cases> <folder> "
                       "<served log> <case>...\n");
  return 1;
}

} // namespace

int main() {
  // The updater's questions are answered in a virtual desktop: on Wine's bare display each
  // message box costs about a second after it has gone.
  return RunWithDesktop(
      "bench_delta", [](const TArguments &args) { return !args.empty() && args[0] == "updates"; },
      Run);
}
