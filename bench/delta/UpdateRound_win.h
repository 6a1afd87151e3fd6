#pragma once

#include "bench/auto/ServedLog_win.h"

#include <string>
#include <vector>

/// What every round of one case installs and checks, all paths UTF-8.
struct TUpdateCase {
  std::string Server;     // serves version.txt, and <Name>/new.exe with its delta beside it
  std::string Updater;    // the updater.exe that ships
  std::string Name;       // the case's folder on the server
  std::string OldProgram; // the installed program
  std::string NewProgram; // what the server sends as new.exe, which the checked file must be
  std::string ServedLog;  // the server's record of what it sent (TServedLog)
};

/// What one round measured.
struct TUpdateMeasures {
  double YesToCheckedMs; // from the click on Yes in the offer to the "Replace?" question
  double PeakMiB;        // the updater's peak working set until then
  // The longest that the update dialog left a message unanswered meanwhile.
  double LongestUnansweredMs;
  double SentBytes; // everything the server sent in the round, headers included
  double BodyBytes; // of which the files' and pages' own bytes
  std::vector<TServedRequest> Requests;
};

/// One update of the installed program in a new folder, with the updater beside it started as
/// a host starts it (`updater.exe 1 "<program>"`), deltas asked for or not: the offer is
/// answered Yes, the "Replace?" question, which comes once every check of the download has
/// passed, No. Until that question the dialog is sent WM_NULL every few milliseconds, each
/// answer timed. Throws std::runtime_error when the updater strays from that road: another
/// question, a checked file that is not the new program, a delta not taken or a whole file
/// fetched where the delta should have served.
TUpdateMeasures RunUpdate(const TUpdateCase &update, const std::string &folder, bool deltas);
