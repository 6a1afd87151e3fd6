#include "bench/auto/AutoRound_win.h"

#include "bench/auto/FolderWatch_win.h"
#include "bench/auto/ProcessorTime_win.h"
#include "bench/auto/ServedLog_win.h"
#include "bench/auto/UpdaterInstall_win.h"
#include "bench/download/Measures_win.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "framework/win32/WideText_win.h"

#include <optional>
#include <stdexcept>

namespace {

const char kProgram[] = "Bench Host.exe";
const char kDownload[] = "Bench Host~.tmp";
// After the download is whole the updater checks it before it waits: the moment it is given.
constexpr DWORD kSettleMilliseconds = 1000;

void Require(bool holds, const std::string &failure) {
  if (!holds)
    throw std::runtime_error(failure);
}

std::optional<ULONGLONG> FileSize(const std::string &path) {
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &attributes))
    return std::nullopt;
  return (static_cast<ULONGLONG>(attributes.nFileSizeHigh) << 32) | attributes.nFileSizeLow;
}

bool FileHolds(const std::string &path, const std::string &content) {
  try {
    return ReadWholeFile(path) == content;
  } catch (const std::runtime_error &) {
    return false; // being replaced
  }
}

std::string HowItEnded(const TUpdaterProcess &updater) {
  if (updater.Running())
    return "it still runs";
  return "it ended with " + std::to_string(updater.WaitForExitCode().value_or(0));
}

} // namespace

TRoundMeasures RunRound(const TAutoSetup &setup, const std::string &folder,
                        DWORD heldMilliseconds) {
  InstallUpdater(folder, setup.Updater, setup.OldProgram, kProgram,
                 "AppTitle=Bench\r\nVersionFile=http://" + setup.Server +
                     "/version.txt\r\nDownloadFile=http://" + setup.Server + "/new.exe\r\n");
  const std::string program = folder + "\\" + kProgram;
  const std::string download = folder + "\\" + kDownload;
  const std::string oldProgram = ReadWholeFile(program);
  const std::string newProgram = ReadWholeFile(setup.NewProgram);
  TUpdaterProcess host(program, "/stay");
  Require(WaitUntil([&] { return FileSize(program + ".started").has_value(); }),
          "the program did not start");

  const TServedLog served(setup.ServedLog);
  TUpdaterProcess updater(folder + "\\updater.exe", "1 \"" + program + "\" /auto");
  const auto downloaded = [&] {
    return served.ServedWhole("/new.exe", newProgram.size()) &&
           FileSize(download) == newProgram.size();
  };
  WaitUntil([&] { return downloaded() || !updater.Running(); });
  Require(downloaded() && updater.Running(),
          "the download did not complete while the updater ran; " + HowItEnded(updater));
  Sleep(kSettleMilliseconds);

  TRoundMeasures measures{};
  const double processorBefore = ProcessorMilliseconds(updater.Id());
  const TClock::time_point heldFrom = TClock::now();
  Sleep(heldMilliseconds);
  Require(updater.Running(), "the updater did not wait for the program; " + HowItEnded(updater));
  // Read before the program ends: an ended process has no times left to read under Wine.
  measures.ProcessorMs = ProcessorMilliseconds(updater.Id());
  measures.WaitingProcessorMs = measures.ProcessorMs - processorBefore;
  measures.HeldSeconds = MillisecondsBetween(heldFrom, TClock::now()) / 1000;
  Require(FileHolds(program, oldProgram) && FileSize(download) == newProgram.size(),
          "the program was replaced while it ran");

  // Watched from before the end, so that no change in the folder after it goes unseen.
  TFolderWatch watch(folder);
  const TClock::time_point ended = TClock::now();
  host.Terminate();
  measures.ProgramEndedMs = MillisecondsBetween(ended, TClock::now());
  Require(watch.WaitUntil([&] { return !FileSize(download) && FileHolds(program, newProgram); },
                          kWaitBoundMilliseconds),
          "the new program did not take the old one's place; " + HowItEnded(updater));
  measures.InPlaceMs = MillisecondsBetween(ended, TClock::now());
  const std::optional<DWORD> exitCode = updater.WaitForExitCode();
  measures.UpdaterEndedMs = MillisecondsBetween(ended, TClock::now());
  Require(exitCode == 1u, "the updater ended with " + std::to_string(exitCode.value_or(0)) +
                              " instead of 1, or not at all");
  return measures;
}
