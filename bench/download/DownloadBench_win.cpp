// How long the updater takes to download a large program file through its own dialog and window,
// against a bare loop of the same WinINet calls whose one call per chunk onto the user-interface
// thread moves a progress bar in a window of its own, the floor of a download that a person
// watches; the peak working set of the updater's download; and how soon the "Abort" question
// appears after a click on Cancel during a full-speed download; and how long
// the check of a download with the publisher's key takes, beside the download. Every measured
// run is a child process of its own. tools/bench-download serves the files, signs them and runs
// it under Wine.
//
//   bench_download <server> <folder> <served>                the whole benchmark
//   bench_download --updater|--record|--bare|--cancel <server> <file> <folder>
//                                                  one measured download (--record: with the
//                                                  release record <file>.record named)
//   bench_download --verify <served> <file>        one check of a served file and its .sig with
//                                                  the key in <served>\release.pub
#include "bench/download/BareRun_win.h"
#include "bench/download/DownloadReport_win.h"
#include "bench/download/UpdaterRun_win.h"
#include "bench/download/VerifyRun_win.h"
#include "framework/CommandLine.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main() {
  try {
    std::vector<std::string> args = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
    args.erase(args.begin());
    if (args.size() == 3 && args[0] == "--verify")
      return RunVerify(args[1], args[2]) ? 0 : 1;
    if (args.size() == 3)
      return RunWholeBenchmark(args[0], args[1], args[2]);
    if (args.size() == 4 &&
        (args[0] == "--updater" || args[0] == "--cancel" || args[0] == "--record"))
      return RunUpdater(args[1], args[2], args[3], args[0] == "--cancel", args[0] == "--record")
                 ? 0
                 : 1;
    if (args.size() == 4 && args[0] == "--bare")
      return RunBare(args[1], args[2], args[3]) ? 0 : 1;
    std::fprintf(stderr, "usage: bench_download <server> <folder> <served>\n");
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_download: %s\n", error.what());
  }
  return 1;
}
