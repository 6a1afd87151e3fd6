// How soon an update that installs itself takes the program's place once the program's last
// instance has ended, and how much processor time the updater spends while it waits for that
// end: the updater.exe that ships, started with /auto beside a program that runs, in a new folder
// each round. tools/bench-auto serves the new program and runs it under Wine.
//
//   bench_auto <server> <updater.exe> <old program> <new program> <folder> <served log>
#include "bench/auto/AutoReport_win.h"
#include "bench/auto/AutoRound_win.h"
#include "framework/CommandLine.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 10;
// The first rounds hold the updater waiting this long, for its processor time while it waits.
constexpr int kHeldRounds = 2;
constexpr DWORD kHeldMilliseconds = 30000;

} // namespace

int main() {
  try {
    const std::vector<std::string> args = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
    if (args.size() != 7) {
      std::fprintf(stderr, "usage: bench_auto <server> <updater.exe> <old program> <new program> "
                           "<folder> <served log>\n");
      return 1;
    }
    const TAutoSetup setup{args[1], args[2], args[3], args[4], args[6]};
    std::vector<TRoundMeasures> rounds;
    for (int round = 1; round <= kRounds; ++round) {
      rounds.push_back(RunRound(setup, args[5] + "\\round " + std::to_string(round),
                                round <= kHeldRounds ? kHeldMilliseconds : 0));
      std::fprintf(stderr, "round %d of %d done\n", round, kRounds);
    }
    PrintReport(rounds);
    return 0;
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_auto: %s\n", error.what());
  }
  return 1;
}
