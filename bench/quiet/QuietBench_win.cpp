// What a quiet start of the updater costs when the version file offers nothing newer, beside
// its floor, a bare WinINet fetch of the same version file over https; each start a process of
// its own, timed from just before it is made to its end. The updater.exe that ships is set up as
// before, with release notes named, and with a check interval (record cleared before each start,
// so that each start checks and stores the time; and a record made a moment ago, so that the
// start asks nothing), and with a release record named; an earlier updater.exe, when given, set up
// as before, is the reference.
// tools/bench-quiet serves the version file and runs it under Wine on one processor.
//
//   bench_quiet <server> <folder> <served log> <program> <updater.exe> [<earlier> <its name>]
//       the whole benchmark, in a Wine virtual desktop; each case installed in <folder> with
//       <program> as the host, the version file from https://<server>/version.txt
//   bench_quiet --fetch <server> <path>    one bare fetch of https://<server><path>
#include "bench/quiet/BareFetch_win.h"
#include "bench/quiet/QuietReport_win.h"
#include "bench/quiet/QuietRounds_win.h"
#include "drivers/WineDesktop.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kWarmUpRounds = 2;
constexpr int kRounds = 30;

std::vector<TQuietCase> CasesOf(const std::vector<std::string> &args) {
  const std::string &server = args[0], &updater = args[4];
  const std::string interval = "CheckInterval=1\r\n";
  std::vector<TQuietCase> cases;
  if (args.size() == 7)
    cases.push_back({"a, updater of " + args[6], args[5], "", TRecordBefore::Untouched});
  cases.push_back({"a, settings as before", updater, "", TRecordBefore::Untouched});
  cases.push_back({"b, ReleaseNotes", updater, "ReleaseNotes=https://" + server + "/notes.txt\r\n",
                   TRecordBefore::Untouched});
  cases.push_back({"c, CheckInterval, record cleared", updater, interval, TRecordBefore::Cleared});
  cases.push_back({"d, CheckInterval, within it", updater, interval, TRecordBefore::Fresh});
  cases.push_back({"e, ReleaseRecord", updater,
                   "ReleaseRecord=https://" + server + "/record.txt\r\n",
                   TRecordBefore::Untouched});
  return cases;
}

int RunBenchmark(const std::vector<std::string> &args) {
  TQuietRounds rounds({args[0], args[1], args[2], args[3]}, CasesOf(args));
  for (int round = 1; round <= kWarmUpRounds + kRounds; ++round) {
    rounds.Run(round > kWarmUpRounds);
    std::fprintf(stderr, "round %d of %d done\n", round, kWarmUpRounds + kRounds);
  }
  std::printf("quiet start, nothing newer: wall time from the start of the process to its end, "
              "after %d warm-up rounds; each start beside a bare fetch started just before or "
              "after it\n\n",
              kWarmUpRounds);
  PrintQuietReport(rounds.Samples());
  return 0;
}

int Run(const std::vector<std::string> &args) {
  if (args.size() == 3 && args[0] == "--fetch")
    return RunBareFetch(args[1], args[2]) ? 0 : 1;
  if (args.size() == 5 || args.size() == 7)
    return RunBenchmark(args);
  std::fprintf(stderr, "usage: bench_quiet <server> <folder> <served log> <program> "
                       "<updater.exe> [<earlier updater.exe> <its name>]\n"
                       "       bench_quiet --fetch <server> <path>\n");
  return 1;
}

} // namespace

int main() {
  // The updater starts as on a user's screen, in a desktop where it could show itself; the
  // fetches, started from there, need none of their own.
  return RunWithDesktop(
      "bench_quiet", [](const TArguments &args) { return args.empty() || args[0] != "--fetch"; },
      Run);
}
