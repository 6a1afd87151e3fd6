#include "bench/quiet/QuietRounds_win.h"

#include "bench/auto/UpdaterInstall_win.h"
#include "bench/quiet/TimedStart_win.h"
#include "framework/win32/ModuleFileName_win.h"
#include "update/offer/CheckRecord.h"

#include <stdexcept>
#include <utility>

namespace {

const char kVersionPath[] = "/version.txt";

std::string CaseFolder(const TQuietSetup &setup, const TQuietCase &quietCase) {
  return setup.Folder + "\\" + quietCase.Name;
}

std::string ProgramOf(const TQuietSetup &setup, const TQuietCase &quietCase) {
  return CaseFolder(setup, quietCase) + "\\Host.exe";
}

size_t RequestsOf(const TQuietCase &quietCase) {
  return quietCase.Record == TRecordBefore::Fresh ? 0 : 1;
}

// A start as a host makes it, timed; requests: what it must ask of the server.
double StartQuietly(const TQuietSetup &setup, const TQuietCase &quietCase, size_t requests) {
  return TimeStart(CaseFolder(setup, quietCase) + "\\updater.exe",
                   "1 \"" + ProgramOf(setup, quietCase) + "\" /quiet", setup.ServedLog,
                   kVersionPath, requests);
}

void RequireRecord(const std::string &program) {
  if (!StoredCheckRecord(program).CheckedAt)
    throw std::runtime_error("no time of a check is recorded for " + program);
}

} // namespace

TQuietRounds::TQuietRounds(const TQuietSetup &setup, std::vector<TQuietCase> cases)
    : fSetup(setup), fCases(std::move(cases)) {
  const std::string server = "https://" + fSetup.Server;
  for (const TQuietCase &quietCase : fCases) {
    InstallUpdater(CaseFolder(fSetup, quietCase), quietCase.Updater, fSetup.Program, "Host.exe",
                   "AppTitle=Bench\r\nVersionFile=" + server + kVersionPath +
                       "\r\nDownloadFile=" + server + "/new.exe\r\n" + quietCase.Settings);
    const std::string program = ProgramOf(fSetup, quietCase);
    if (quietCase.Record == TRecordBefore::Fresh) {
      // A record left by an earlier run of the benchmark could be too old, or not be there.
      StoreCheckRecord(program, {});
      StartQuietly(fSetup, quietCase, 1);
      RequireRecord(program);
    }
    fSamples.push_back({quietCase.Name, RequestsOf(quietCase), {}, {}});
  }
}

void TQuietRounds::Run(bool counted) {
  // Alternated, so that neither side is always the one that follows the other's start.
  const bool fetchFirst = fRounds++ % 2 == 1;
  for (size_t index = 0; index < fCases.size(); ++index) {
    const double first = fetchFirst ? TimeFetch() : TimeUpdater(index);
    const double second = fetchFirst ? TimeUpdater(index) : TimeFetch();
    if (counted) {
      fSamples[index].Updater.push_back(fetchFirst ? second : first);
      fSamples[index].Floor.push_back(fetchFirst ? first : second);
    }
  }
}

double TQuietRounds::TimeUpdater(size_t index) {
  const TQuietCase &quietCase = fCases[index];
  const std::string program = ProgramOf(fSetup, quietCase);
  if (quietCase.Record == TRecordBefore::Cleared)
    StoreCheckRecord(program, {});
  const double milliseconds = StartQuietly(fSetup, quietCase, RequestsOf(quietCase));
  if (quietCase.Record == TRecordBefore::Cleared)
    RequireRecord(program);
  return milliseconds;
}

double TQuietRounds::TimeFetch() {
  return TimeStart(ModuleFileName(nullptr), "--fetch " + fSetup.Server + " " + kVersionPath,
                   fSetup.ServedLog, kVersionPath, 1);
}
