#pragma once

#include <windows.h>

#include <string>

/// What every round of the benchmark installs, all paths UTF-8.
struct TAutoSetup {
  std::string Server;     // the web server's address, serving version.txt and new.exe
  std::string Updater;    // the updater.exe that ships
  std::string OldProgram; // the installed program, which stays until it is ended with "/stay"
  std::string NewProgram; // what the server sends as new.exe
  std::string ServedLog;  // the server's record of what it sent (TServedLog)
};

/// What one round measured.
struct TRoundMeasures {
  double HeldSeconds;        // how long the updater was watched waiting, the program running
  double WaitingProcessorMs; // the updater's processor time over that wait
  double ProcessorMs;        // the updater's processor time from its start to the end of that wait
  // From the call that ends the program's last instance (TerminateProcess):
  double ProgramEndedMs; // until the instance's process handle was signalled
  double InPlaceMs;      // until the new program had taken the old one's place
  double UpdaterEndedMs; // until the updater had ended, with exit code 1
};

/// One automatic update in a new folder: the old program installed there and running, the
/// updater beside it started with /auto as the host starts it; once the download is complete
/// and a moment has passed, the updater is watched waiting for heldMilliseconds, then the program
/// is ended as the task manager ends it. Throws std::runtime_error when the updater strays from
/// that road: it ends before the program, replaces it while it runs, fails to replace it, or
/// ends with another code than 1.
TRoundMeasures RunRound(const TAutoSetup &setup, const std::string &folder, DWORD heldMilliseconds);
