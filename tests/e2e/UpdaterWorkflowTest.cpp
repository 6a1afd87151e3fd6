// The whole update run of the real updater.exe, from the version check to the new program,
// driven as a user would: each row serves a version file and a download, answers the boxes the
// updater shows, and checks the program file and the download afterwards.

#include "drivers/MessageBoxView.h"
#include "drivers/TemporaryFolder.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"
#include "tests/e2e/Artifacts.h"
#include "tests/e2e/ScratchFolder.h"
#include "tests/e2e/UpdaterDriver.h"
#include "tests/win/LoopbackServer.h"
#include "update/delta/DeltaDecoding.h"
#include "update/dialog/UpdateOutcome.h"
#include "update/install/InstallStep.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The block of loopback addresses for this file's servers.
constexpr int kAddressBlock = 4;

// Where a row's files lie and what they are called: any text in any script.
struct TPlaces {
  std::string ProgramFolder = "e2e-";   // how the name of the program's folder begins
  std::string TemporaryFolder = "e2e-"; // how the name of the updater's TMP and TEMP begins
  std::string Updater = "updater.exe";
  std::string Host = "Host App.exe";
  // How the name of a folder of the updater's own begins, away from the program; "": none.
  std::string UpdaterFolder = "";

  // The updater reads the settings named after itself, and downloads beside the program.
  std::string Settings() const { return Updater.substr(0, Updater.rfind('.')) + ".ini"; }
  std::string Download() const { return Host.substr(0, Host.rfind('.')) + "~.tmp"; }
  // The demo host leaves this file beside itself when it runs.
  std::string Marker() const { return Host + ".started"; }
};

// A plain message box: no icon, and Yes and No unless said otherwise.
TMessageBoxView Plain(const char *caption, const char *text,
                      std::vector<std::string> buttons = {"Yes", "No"}) {
  return {caption, text, std::move(buttons), false};
}

const TMessageBoxView kOffer =
    Plain("Run Program?", "Yes! An update is available, would you like to download it?");
const TMessageBoxView kLatest =
    Plain("Latest Version", "You have the latest version of the software.", {"OK"});
const TMessageBoxView kReplace =
    Plain("Replace?", "The update to the program has finished downloading.\nWould you like to "
                      "replace the old program with the new one?");
const TMessageBoxView kCloseProgram = Plain(
    "Close Program", "Please exit any open versions of the program before clicking OK.", {"OK"});
const TMessageBoxView kRun =
    Plain("Run Program?", "Would you like to run the updated program now?");
const TMessageBoxView kAbort = Plain("Abort", "Abort Update?");
const TMessageBoxView kReplaceFailed =
    Plain("Error",
          "An error occurred when trying to replace the program.\nReason:\n\n The program file "
          "is in use or cannot be written.",
          {"Retry", "Cancel"});

const TMessageBoxView kReadOnlyProgram = ErrorMessageView(
    "An error occurred when trying to replace the program.\nReason:\n\n The program file is "
    "read-only, so the update that is available cannot replace it.");
const TMessageBoxView kTooLong = ErrorMessageView(
    "An error occured when trying to check for an update.\nReason:\n\n Invalid version length.");
const TMessageBoxView kNoVersionFile =
    ErrorMessageView("An error occured when trying to check for an update.\nReason:\n\n Version "
                     "file is nonexistant.");
const TMessageBoxView kNotANumber =
    ErrorMessageView("An error occurred when trying to check for an update.\nReason:\n\n The "
                     "version file holds 'ab', which is not a whole number.");
const TMessageBoxView kConnectionLost =
    ErrorMessageView("An error occured when trying to download an update.\nReason:\n\n "
                     "Connection to file was lost.");
const TMessageBoxView kNotByPublisher =
    ErrorMessageView("An error occurred when trying to download an update.\nReason:\n\n The "
                     "downloaded file is not signed by the publisher of the program.");
const TMessageBoxView kNotAProgram =
    ErrorMessageView("An error occurred when trying to download an update.\nReason:\n\n The "
                     "downloaded file is not a valid program.");
const TMessageBoxView kNotSignedWithKey =
    ErrorMessageView("An error occurred when trying to download an update.\nReason:\n\n The "
                     "downloaded file is not signed with the publisher's key.");
const TMessageBoxView kNotTheRelease =
    ErrorMessageView("An error occurred when trying to download an update.\nReason:\n\n The "
                     "downloaded file is not the release that was offered.");
const TMessageBoxView kOlderVersion =
    ErrorMessageView("An error occurred when trying to download an update.\nReason:\n\n The "
                     "downloaded file is an older version of the program.");
const TMessageBoxView kUnsignedNeedsRights = ErrorMessageView(
    "An error occurred when trying to download an update.\nReason:\n\n The program's folder can "
    "only be changed with administrator rights, and this program's updates are not signed: the "
    "updater asks for those rights only for a signed update.");
const TMessageBoxView kUnusableSettings = ErrorMessageView(
    "The data file containing the update information has been corrupted or is missing. Cannot "
    "continue.");

const char kUpdating[] = "Updating...";
const char kCleaningUp[] = "Download complete... Cleaning up...";
const char kVerifying[] = "Download complete... Verifying its signature...";

// What the user, or the test standing in for the world around, does next.
enum class TAction {
  Answer,        // expects Box, then clicks Button in it; without Button the box stays up
  Click,         // clicks Button in the box that stayed up
  Midway,        // waits for the stalled download and reads the dialog half-way
  Complete,      // reads the dialog of a finished download
  Verifying,     // waits for the stalled signature and reads the dialog meanwhile
  ClickCancel,   // clicks the dialog's Cancel button
  RequestClose,  // posts the dialog a close request, as its caption bar or Alt+F4 would
  Release,       // lets the stalled download go on
  LockProgram,   // holds the program file open, so that it cannot be replaced
  UnlockProgram, // lets it go
  OpenAbout,     // chooses "About..." and waits for the About box, which stays up
  PlantDownload, // leaves a file of someone else's under the download's name
  TryToWrite,    // tries to open the finished download for writing, as another program could
  LockFolder,    // makes the program's folder refuse new files, as Program Files refuses a user's
  UnlockFolder,  // lets it take them again
  // starts the install step on the served program and its signature as any program of the
  // user could, over Program, and expects Button's outcome (a TInstallOutcome, as a number)
  InstallDirectly,
  // while the installed program is hashed, before the delta is asked for: the dialog answers
  // within 100 ms, and is asked to close
  CloseWhileHashed,
  ExpectHidden,          // while the version reply stalls, the updater shows no window
  TraceDisk,             // records from now on how files reach the disk
  ExpectFlushBeforeMove, // the download was flushed before it took the program's name
  // An automatic start's world: the program run by the user, and the updater run again.
  StartHost,     // an instance of the program starts, and stays
  Downloaded,    // the download is complete
  ExpectWaiting, // the download is complete and the updater waits, in the background: the
                 // program stays untouched for seconds
  EndHost,       // the instance started first ends; once the last has, the program is replaced
  RunProgram,    // the program starts, as the user starts it next, and shows its version, 2
  SecondAuto,    // another /auto for the program ends at once with 6
  KillUpdater,   // the updater is ended as the task manager ends it: the old program is whole
  EndSession,    // the session ends: the dialog is asked and told, as the system does, and the
                 // updater, unless it has ended itself, is then ended with 0
  StartUpdater,  // the host starts the updater, which every other row has done at once; the
                 // row follows it from now on
  Ended,         // the updater ends by itself with the row's code, and shows no further box
};
struct TStep {
  TAction Action;
  TMessageBoxView Box;
  std::string Button;
  // A file in the program's folder, kElsewhere and a name, or "" for the row's host; with
  // StartHost, StartUpdater and SecondAuto, kSecondDrive for the host through another path.
  std::string Program = "";
  bool LinkedDownload = false;
};
TStep Answer(const TMessageBoxView &box, const std::string &button) {
  return {TAction::Answer, box, button};
}
TStep Do(TAction action, const std::string &button = "") { return {action, {}, button}; }
// Beside the program, a file that is no program.
const char kSystemIni[] = "[boot]\r\nshell=explorer.exe\r\n";
// Another folder of the user's, which holds a program of its own, victim.exe.
const char kElsewhere[] = "elsewhere:";
// The row's host through a second drive letter, as subst or a mapped network drive gives.
const char kSecondDrive[] = "second drive:";
TStep OnSecondDrive(TAction action) { return {action, {}, "", kSecondDrive}; }
// Starts the install step over program, the host when ""; with linkedDownload the download has
// a second name.
TStep InstallDirectly(TInstallOutcome outcome, const std::string &program = "",
                      bool linkedDownload = false) {
  return {TAction::InstallDirectly,
          {},
          std::to_string(static_cast<DWORD>(outcome)),
          program,
          linkedDownload};
}

// What the server answers to the download request. Stalled waits half-way for Release; Slow
// sends the program in four pieces, two seconds apart. Resumed and CutForGood are cut off
// half-way too, but name the file by a tag: the rest is asked for, and follows, or the
// connection of each of the three resumes ends before its first byte.
enum class TDownload {
  Whole,
  Padded, // the program and 4 MiB more, as its length says, 1025 bytes a millisecond apart
  Stalled,
  NotFound,
  CutOff,
  Empty,
  WebPage,
  Slow,
  Resumed,
  CutForGood
};
// What the server answers to the request for the delta, when the settings ask for one: the
// delta of the served program against the installed one; none; that delta with a byte changed;
// the delta against another release; a frame that declares a size past the updater's bounds; the
// delta of a file that is no program; the delta cut off half-way, then its rest on request.
enum class TDelta {
  None,
  Served,
  NotFound,
  Corrupt,
  ForAnotherRelease,
  HugeSize,
  RebuildsNoProgram,
  OfAnEarlierRelease, // Served, while a release record offers a later release
  CutAndResumed
};
// What the server answers to the request for the download's signature. Stalled sends nothing;
// Oversized announces a megabyte and stalls after five kilobytes.
enum class TSignature { FromFile, NotFound, Empty, Garbage, Stalled, Oversized };
// A download checked with the publisher's key.
struct TKeyCheck {
  std::string PublicKey; // the setting: "@NAME" for the text of SIGNED_PROGRAMS/NAME.pub
  TSignature Signature;
  std::string SignatureFile; // in SIGNED_PROGRAMS, served for FromFile
};
// What a file holds at the end of the run.
enum class TContent { Missing, OldProgram, NewProgram, FirstHalfOfNew };

// What the server answers, in the order the updater asks.
struct TServed {
  const char *VersionStatus;
  std::string VersionBody;
  TDownload Download;
  bool VersionStalls = false;  // the version reply never sends a byte
  bool VersionEndless = false; // the version reply names no length and never ends
  TDelta Delta = TDelta::None;
};
// What holds once the updater has ended.
struct TLeft {
  size_t Requests; // how many of the version check, the download and its signature were asked
  TContent Program;
  TContent Downloaded;
  bool HostStarted;
  int InstallSteps = 0; // how often the updater started itself to install the download
};
struct TWorkflowRow {
  const char *Name;
  TServed Served;
  const char *CurrentVersion;
  std::vector<TStep> Steps;
  TLeft Left;
  // Where the https test servers offer version.txt and new.exe instead of the loopback server.
  std::string HttpsFolder;
  const char *InstalledProgram;
  const char *ServedProgram;
  std::string Timeout = ""; // the settings' Timeout line, if any
  std::optional<TKeyCheck> KeyCheck = std::nullopt;
  bool UpdaterInSubfolder = false; // the updater lies in a folder of its own beside the program
  TPlaces Places = {};
  std::optional<TUpdateOutcome> Quiet = std::nullopt; // set: started with /quiet, ends so
  bool Automatic = false;                             // with /auto instead
  bool ProgramReadOnly = false; // the program file is marked read-only, as its owner may mark it
  // The program is padded with zeros to the delta's bound.
  bool ProgramAtTheBound = false;
  bool Recorded = false; // the settings name a release record, served for version 3
};
TWorkflowRow Row(const char *name, TServed served, const char *currentVersion,
                 std::vector<TStep> steps, TLeft left) {
  return {name, std::move(served), currentVersion,   std::move(steps), left,
          "",   DEMO_HOST_V1_PATH, DEMO_HOST_V2_PATH};
}
// A row whose programs are signed and whose version file, served over https, offers "2".
TWorkflowRow HttpsRow(const char *name, const std::string &folder, const char *installed,
                      const char *served, std::vector<TStep> steps, TLeft left) {
  return {name,  {"200 OK", "2", TDownload::Whole}, "1", std::move(steps), left, folder, installed,
          served};
}
// Version 3 offered to 1 by the version file and a release record; the server serves served.
TWorkflowRow RecordRow(const char *name, const char *served, TDownload download = TDownload::Whole,
                       std::vector<TStep> steps = {Answer(kOffer, "Yes"),
                                                   Answer(kNotTheRelease, "OK")},
                       TLeft left = {3, TContent::OldProgram, TContent::Missing, false}) {
  TWorkflowRow row = Row(name, {"200 OK", "3", download}, "1", std::move(steps), left);
  row.ServedProgram = served;
  row.Recorded = true;
  return row;
}
// A row whose settings say Timeout=seconds.
TWorkflowRow WithTimeout(TWorkflowRow row, int seconds) {
  row.Timeout = "Timeout=" + std::to_string(seconds);
  return row;
}
// A row whose settings name the publisher's key; the version file offers "2" to version "1".
TWorkflowRow KeyRow(const char *name, const std::string &publicKey, TSignature signature,
                    const std::string &signatureFile, std::vector<TStep> steps, TLeft left,
                    const char *installed = DEMO_HOST_V1_PATH,
                    const char *served = DEMO_HOST_V2_PATH) {
  TWorkflowRow row = Row(name, {"200 OK", "2", TDownload::Whole}, "1", std::move(steps), left);
  row.InstalledProgram = installed;
  row.ServedProgram = served;
  row.KeyCheck = TKeyCheck{publicKey, signature, signatureFile};
  return row;
}
TWorkflowRow Stalled(TWorkflowRow row) {
  row.Served.Download = TDownload::Stalled;
  return row;
}
TWorkflowRow InSubfolder(TWorkflowRow row) {
  row.UpdaterInSubfolder = true;
  return row;
}
// A row started with /quiet, whose exit code tells outcome.
TWorkflowRow Quietly(TUpdateOutcome outcome, TWorkflowRow row) {
  row.Quiet = outcome;
  return row;
}
// A row started with /auto, whose exit code tells outcome.
TWorkflowRow Automatically(TUpdateOutcome outcome, TWorkflowRow row) {
  row.Quiet = outcome;
  row.Automatic = true;
  return row;
}
// A row whose folders and files are named as places says.
TWorkflowRow In(TPlaces places, TWorkflowRow row) {
  row.Places = std::move(places);
  return row;
}
// A row whose server serves the program at served.
TWorkflowRow Serving(const char *served, TWorkflowRow row) {
  row.ServedProgram = served;
  return row;
}
TWorkflowRow ReadOnly(TWorkflowRow row) {
  row.ProgramReadOnly = true;
  return row;
}
TWorkflowRow AtTheBound(TWorkflowRow row) {
  row.ProgramAtTheBound = true;
  return row;
}
// A row whose settings ask for deltas, and whose server answers the delta's request so.
TWorkflowRow WithDelta(TDelta delta, TWorkflowRow row) {
  row.Served.Delta = delta;
  return row;
}
void PrintTo(const TWorkflowRow &row, std::ostream *out) { *out << row.Name; }

TScriptedReply VersionReply(const TServed &served) {
  if (served.VersionEndless) {
    TScriptedReply endless{RawReply(served.VersionStatus, {}, served.VersionBody)};
    endless.StallAt = endless.Bytes.size();
    return endless;
  }
  TScriptedReply reply{RawReply(served.VersionStatus,
                                {"Content-Length: " + std::to_string(served.VersionBody.size())},
                                served.VersionBody)};
  if (served.VersionStalls)
    reply.StallAt = 0;
  return reply;
}

// Where a stalled or cut-off download stops: about half-way, at the end of one of the pieces
// of 1025 bytes that the updater reads. WinINet hands a piece over only once it is full, so
// only there does the bar come to show every byte sent.
size_t HalfWay(const std::string &program) {
  constexpr size_t kPiece = 1025;
  const size_t piecesEnd = (program.size() / 2 + kPiece - 1) / kPiece * kPiece;
  return piecesEnd < program.size() ? piecesEnd : program.size() / 2; // a small delta's half
}

TScriptedReply DownloadReply(TDownload download, const std::string &program) {
  const std::string length = "Content-Length: " + std::to_string(program.size());
  const std::string half = program.substr(0, HalfWay(program));
  const std::string page = "<html><body>Moved elsewhere</body></html>";
  TScriptedReply reply;
  switch (download) {
  case TDownload::Whole:
  case TDownload::Stalled:
  case TDownload::Slow:
    reply.Bytes = RawReply("200 OK", {length}, program);
    if (download == TDownload::Stalled)
      reply.StallAt = reply.Bytes.size() - (program.size() - half.size());
    if (download == TDownload::Slow) {
      reply.PieceSize = reply.Bytes.size() / 4 + 1;
      reply.PieceDelayMs = 2000;
    }
    break;
  case TDownload::NotFound:
    reply.Bytes =
        RawReply("404 Not Found", {"Content-Length: " + std::to_string(page.size())}, page);
    break;
  case TDownload::CutOff:
    reply.Bytes = RawReply("200 OK", {length}, half);
    break;
  case TDownload::Resumed:
  case TDownload::CutForGood:
    reply.Bytes = RawReply("200 OK", {length, "ETag: \"v2\""}, half);
    break;
  case TDownload::Empty:
    reply.Bytes = RawReply("200 OK", {"Content-Length: 0"}, "");
    break;
  case TDownload::Padded: // slow enough for the reader to keep up, so that buffers stay empty
    return {DownloadReply(TDownload::Whole, program + std::string(4 << 20, 'x')).Bytes,
            std::string::npos, 1025, 1};
  case TDownload::WebPage:
    reply.Bytes = RawReply(
        "200 OK", {"Content-Type: text/html", "Content-Length: " + std::to_string(page.size())},
        page);
    break;
  }
  return reply;
}

// The answers to the requests for the rest of a download cut off half-way.
std::vector<TScriptedReply> ResumeReplies(TDownload download, const std::string &program) {
  const size_t half = HalfWay(program);
  const std::string range = "Content-Range: bytes " + std::to_string(half) + "-" +
                            std::to_string(program.size() - 1) + "/" +
                            std::to_string(program.size());
  if (download == TDownload::Resumed)
    return {{RawReply("206 Partial Content", {range}, program.substr(half))}};
  if (download == TDownload::CutForGood)
    return std::vector<TScriptedReply>(3, {RawReply("206 Partial Content", {range}, "")});
  return {};
}

TScriptedReply SignatureReply(const TKeyCheck &check) {
  const auto reply = [](const std::string &status, const std::string &body) {
    return TScriptedReply{
        RawReply(status, {"Content-Length: " + std::to_string(body.size())}, body)};
  };
  switch (check.Signature) {
  case TSignature::FromFile:
    return reply("200 OK", ReadWholeFile(SIGNED_PROGRAMS + check.SignatureFile));
  case TSignature::NotFound:
    return reply("404 Not Found", "<html><body>Not here</body></html>");
  case TSignature::Empty:
    return reply("200 OK", "");
  case TSignature::Garbage:
    return reply("200 OK", std::string("\x30\x05garbage\0\xff", 11));
  case TSignature::Stalled:
  case TSignature::Oversized: {
    TScriptedReply stalled{RawReply("200 OK", {"Content-Length: 1048576"}, std::string(8192, 'x'))};
    stalled.StallAt = check.Signature == TSignature::Stalled ? 0 : stalled.Bytes.size() - 3192;
    return stalled;
  }
  }
  return {};
}

// Whether the delta rebuilds the program, so that the whole program is not asked for.
bool Rebuilds(TDelta delta) { return delta == TDelta::Served || delta == TDelta::CutAndResumed; }

// The replies to the requests for the delta, in order.
std::vector<TScriptedReply> DeltaReplies(TDelta delta) {
  const std::string served = ReadWholeFile(DELTAS "v2.from-v1");
  const auto reply = [](const std::string &body) {
    return TScriptedReply{
        RawReply("200 OK", {"Content-Length: " + std::to_string(body.size())}, body)};
  };
  switch (delta) {
  case TDelta::None:
    return {};
  case TDelta::Served:
  case TDelta::OfAnEarlierRelease:
    return {reply(served)};
  case TDelta::NotFound:
    return {DownloadReply(TDownload::NotFound, "")};
  case TDelta::Corrupt: {
    std::string corrupt = served;
    corrupt[corrupt.size() / 2] ^= 0x20;
    return {reply(corrupt)};
  }
  case TDelta::ForAnotherRelease:
    return {reply(ReadWholeFile(DELTAS "v2.from-verinfo"))};
  case TDelta::HugeSize: // a frame header alone: a window of 1 MiB, 2^40 bytes, a checksum
    return {reply(std::string("\x28\xB5\x2F\xFD\xC4\x50\0\0\0\0\0\x01\0\0", 14))};
  case TDelta::RebuildsNoProgram:
    return {reply(ReadWholeFile(DELTAS "text.from-v1"))};
  case TDelta::CutAndResumed: {
    std::vector<TScriptedReply> replies{DownloadReply(TDownload::Resumed, served)};
    for (const TScriptedReply &rest : ResumeReplies(TDownload::Resumed, served))
      replies.push_back(rest);
    return replies;
  }
  }
  return {};
}

std::string PublicKeySetting(const std::string &key) {
  return key.rfind('@', 0) == 0 ? ReadWholeFile(SIGNED_PROGRAMS + key.substr(1) + ".pub") : key;
}

// Asks a window of the updater, which may be busy for a moment, a question with a number as
// its answer.
LRESULT Ask(HWND window, UINT message, WPARAM wParam) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer))
    throw std::runtime_error("a window of the updater did not answer");
  return static_cast<LRESULT>(answer);
}

// The update dialog's progress as the user sees it.
struct TProgressView {
  LRESULT Low = 0, High = 0, Position = 0;
  LONG BarWidth = 0; // in pixels
  std::string Status, DownloadStatus;
  bool CancelEnabled = false;
};

TProgressView ReadProgress(HWND dialog) {
  TProgressView view;
  std::vector<HWND> labels;
  for (HWND child : ChildWindowsOf(dialog)) {
    const std::string className = WindowClassName(child);
    if (className == PROGRESS_CLASSA) {
      view.Low = Ask(child, PBM_GETRANGE, TRUE);
      view.High = Ask(child, PBM_GETRANGE, FALSE);
      view.Position = Ask(child, PBM_GETPOS, 0);
      RECT bar;
      GetClientRect(child, &bar);
      view.BarWidth = bar.right;
    } else if (className == "Button" && WindowText(child) == "Cancel") {
      view.CancelEnabled = IsWindowEnabled(child);
    } else if (className == "Static") {
      labels.push_back(child);
    }
  }
  // The status line stands at the top beside the picture, the progress text above the bar.
  std::sort(labels.begin(), labels.end(), [](HWND a, HWND b) {
    RECT first, second;
    GetWindowRect(a, &first);
    GetWindowRect(b, &second);
    return first.top < second.top;
  });
  if (labels.size() != 2)
    throw std::runtime_error("the update dialog does not show two labels");
  view.Status = WindowText(labels[0]);
  view.DownloadStatus = WindowText(labels[1]);
  return view;
}

// Remembers the class of every visible top-level window of the processes it is told of, looking
// many times a second for as long as it lives.
class TWindowWatch {
public:
  TWindowWatch() : fThread([this] { Watch(); }) {}
  ~TWindowWatch() {
    fStop = true;
    fThread.join();
  }
  void Add(DWORD processId) {
    const std::lock_guard<std::mutex> lock(fMutex);
    fProcesses.push_back(processId);
  }
  std::vector<std::string> Seen() {
    const std::lock_guard<std::mutex> lock(fMutex);
    return fSeen;
  }

private:
  void Watch() {
    for (; !fStop; Sleep(10)) {
      const std::lock_guard<std::mutex> lock(fMutex);
      for (DWORD process : fProcesses)
        for (HWND window : TopLevelWindowsOf(process))
          if (IsWindowVisible(window) && fSeen.size() < 10)
            fSeen.push_back(WindowClassName(window)); // its text may be gone with it
    }
  }

  std::mutex fMutex;
  std::vector<DWORD> fProcesses;
  std::vector<std::string> fSeen;
  std::atomic<bool> fStop{false};
  std::thread fThread;
};

class UpdaterWorkflow : public ::testing::TestWithParam<TWorkflowRow> {
protected:
  UpdaterWorkflow()
      : NewProgram(ReadWholeFile(GetParam().ServedProgram)), Received(HalfWay(NewProgram)) {
    if (GetParam().UpdaterInSubfolder)
      Subfolder = std::make_unique<TScratchFolder>(Folder.PathOf(""));
    else if (!Names.UpdaterFolder.empty())
      Subfolder = std::make_unique<TScratchFolder>("", Names.UpdaterFolder);
    UpdaterHome().CopyIn(UPDATER_EXE_PATH, Names.Updater);
    Folder.CopyIn(GetParam().InstalledProgram, Names.Host);
    if (GetParam().ProgramAtTheBound) // zeros after a real program: a sparse end under Wine
      std::filesystem::resize_file(WideFromUtf8(Folder.PathOf(Names.Host)), kMaxDeltaProgramSize);
    // What the install step must never touch: a program elsewhere, a file that is no program.
    Elsewhere.CopyIn(GetParam().InstalledProgram, "victim.exe");
    Folder.WriteFile("system.ini", kSystemIni);
    OldProgram = Folder.ReadFile(Names.Host);
  }

  void Perform(const TStep &step, const std::string &picture);
  void ExpectProgress(const std::string &picture, LRESULT position, const std::string &status);
  /// Expects the trace to show the download flushed, then renamed to the program's name.
  void ExpectFlushBeforeMove();
  /// Expects the updater to end with exit code 0 and without showing another box.
  void ExpectEndWithoutFurtherBox();
  /// What the file holds, in the words of TContent.
  std::string Describe(const std::string &name) const;
  std::string Describe(TContent content) const;
  /// What the started host wrote into its marker; "" while there is none or it is being written.
  std::string MarkerText() const;
  /// Starts the updater as the host starts it; the row follows it and its download.
  void StartUpdater(bool onSecondDrive = false);
  std::unique_ptr<TUpdaterProcess> StartedUpdater(bool onSecondDrive);
  /// The program's full path, or the path to it through a second drive letter.
  std::string ProgramPath(bool onSecondDrive) const;
  bool ProgramIs(TContent content) const { return Describe(Names.Host) == Describe(content); }

  const TPlaces &Names = GetParam().Places;
  TScratchFolder Folder{"", Names.ProgramFolder};
  TScratchFolder UserTemp{"", Names.TemporaryFolder}; // the updater's temporary folder
  TScratchFolder Elsewhere;
  TScratchFolder Traces;                     // what TraceDisk records
  std::unique_ptr<TScratchFolder> Subfolder; // where an updater of its own may lie
  /// Where the updater and its settings lie.
  const TScratchFolder &UpdaterHome() const { return Subfolder ? *Subfolder : Folder; }
  // The updater inherits the row's own temporary folder; this process's comes back after. Set
  // once the other folders are made, so that none of them lies in it.
  const TTemporaryFolderOverride UpdaterTemporaryFolder{UserTemp.PathOf("")};
  std::string OldProgram;
  const std::string NewProgram;
  const size_t Received; // what a stalled download has received half-way
  std::unique_ptr<TLoopbackServer> Server;
  std::unique_ptr<TUpdaterProcess> Updater;
  size_t UpdatersStarted = 0; // those the row followed
  std::deque<std::unique_ptr<TUpdaterProcess>> Hosts;
  TWindowWatch Windows;
  TKernelHandle ProgramLock;
  HWND OpenBox = nullptr;  // the box that a step left up
  HWND AboutBox = nullptr; // the About box that a step opened
};

HWND UpdateDialog(const TUpdaterProcess &updater) {
  const HWND dialog = FindTopLevelWindow(updater.Id(), "TUpdateDlg");
  if (!dialog)
    throw std::runtime_error("the updater has no update dialog window");
  return dialog;
}

// A box clicked is gone once its button has been handled; the next box is a new one.
void Click(HWND box, const std::string &button) {
  ASSERT_TRUE(ClickButton(box, button)) << "no button " << button;
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }));
}

void UpdaterWorkflow::Perform(const TStep &step, const std::string &picture) {
  switch (step.Action) {
  case TAction::Answer: {
    const HWND box = WaitForMessageBox(*Updater);
    ASSERT_NE(box, nullptr) << "no box appeared, \"" << step.Box.Caption << "\" was due";
    ExpectMessageBox(box, step.Box);
    if (AboutBox) {
      // Windows are listed front to back: the question stands above the About box.
      const std::vector<HWND> windows = TopLevelWindowsOf(Updater->Id());
      EXPECT_TRUE(IsWindowVisible(AboutBox));
      EXPECT_LT(std::find(windows.begin(), windows.end(), box),
                std::find(windows.begin(), windows.end(), AboutBox));
    }
    EXPECT_TRUE(KeepScreenshot(Updater->Id(), picture));
    if (step.Button.empty())
      OpenBox = box;
    else
      Click(box, step.Button);
    break;
  }
  case TAction::Click:
    Click(OpenBox, step.Button);
    break;
  case TAction::Midway:
    ASSERT_TRUE(Server->WaitUntilStalled()) << "the download never reached half-way";
    ExpectProgress(picture, Received, kUpdating);
    break;
  case TAction::Complete:
    ExpectProgress(picture, NewProgram.size(), kCleaningUp);
    break;
  case TAction::Verifying:
    ASSERT_TRUE(Server->WaitUntilStalled()) << "the signature was never asked for";
    ExpectProgress(picture, NewProgram.size(), kVerifying);
    break;
  case TAction::ClickCancel: {
    const std::vector<HWND> children = ChildWindowsOf(UpdateDialog(*Updater));
    const auto cancel = std::find_if(children.begin(), children.end(),
                                     [](HWND child) { return WindowText(child) == "Cancel"; });
    ASSERT_NE(cancel, children.end());
    // Posted: the click's handler asks its question before it returns.
    ASSERT_TRUE(PostMessageW(*cancel, BM_CLICK, 0, 0));
    break;
  }
  case TAction::RequestClose:
    ASSERT_TRUE(PostMessageW(UpdateDialog(*Updater), WM_CLOSE, 0, 0));
    break;
  case TAction::Release:
    Server->Release();
    break;
  case TAction::CloseWhileHashed: {
    // The hash of a program at the bound takes about 600 ms here, up to a second with both
    // processors busy: the offer has just gone, and the delta is asked for only after it.
    ASSERT_EQ(Server->Requests().size(), 1u) << "the delta was asked for before the close";
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        SendMessageTimeoutW(UpdateDialog(*Updater), WM_NULL, 0, 0, SMTO_NORMAL, 100, &answer))
        << "the dialog did not answer within 100 ms while the program was hashed";
    ASSERT_TRUE(PostMessageW(UpdateDialog(*Updater), WM_CLOSE, 0, 0));
    break;
  }
  case TAction::ExpectHidden: {
    ASSERT_TRUE(Server->WaitUntilStalled());
    const auto shown = [this] {
      const std::vector<HWND> windows = TopLevelWindowsOf(Updater->Id());
      return std::any_of(windows.begin(), windows.end(), IsWindowVisible);
    };
    EXPECT_FALSE(WaitUntil(shown, 500)) << "a window showed while the check ran";
    break;
  }
  case TAction::LockProgram:
    // Under Wine a file open in another process cannot be replaced, whatever it shares.
    ProgramLock =
        TKernelHandle(CreateFileW(WideFromUtf8(Folder.PathOf(Names.Host)).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(ProgramLock.Get(), INVALID_HANDLE_VALUE);
    break;
  case TAction::UnlockProgram:
    ProgramLock = TKernelHandle();
    break;
  case TAction::PlantDownload:
    Folder.WriteFile(Names.Download(), "someone else's file");
    break;
  case TAction::TryToWrite: {
    // Each open shares everything, so that only the updater's hold can refuse it.
    const auto opens = [this](DWORD access) {
      const HANDLE file = CreateFileW(WideFromUtf8(Folder.PathOf(Names.Download())).c_str(), access,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
      return file != INVALID_HANDLE_VALUE && CloseHandle(file);
    };
    EXPECT_TRUE(opens(GENERIC_READ)) << "the download can be read meanwhile";
    EXPECT_FALSE(opens(GENERIC_WRITE)) << "the checked download could be written";
    break;
  }
  case TAction::LockFolder:
  case TAction::UnlockFolder:
    ASSERT_TRUE(Folder.SetImmutable(step.Action == TAction::LockFolder));
    break;
  case TAction::InstallDirectly: {
    UserTemp.CopyIn(GetParam().ServedProgram, "offered.exe");
    if (GetParam().KeyCheck)
      UserTemp.CopyIn(SIGNED_PROGRAMS + GetParam().KeyCheck->SignatureFile, "offered.exe.sig");
    if (step.LinkedDownload)
      CreateHardLinkW(WideFromUtf8(Elsewhere.PathOf("linked.exe")).c_str(),
                      WideFromUtf8(UserTemp.PathOf("offered.exe")).c_str(), nullptr);
    const bool elsewhere = step.Program.rfind(kElsewhere, 0) == 0;
    const std::string program =
        elsewhere ? Elsewhere.PathOf(step.Program.substr(strlen(kElsewhere)))
                  : Folder.PathOf(step.Program.empty() ? Names.Host : step.Program);
    const std::vector<std::string> files = Folder.FileNames();
    TUpdaterProcess install(UpdaterHome().PathOf(Names.Updater),
                            std::string(kInstallSwitch) + " \"" + UserTemp.PathOf("offered.exe") +
                                "\" \"" + program + "\"");
    EXPECT_EQ(install.WaitForExitCode(), std::optional<DWORD>(std::stoul(step.Button)));
    for (const std::string &file :
         {UserTemp.PathOf("offered.exe"), UserTemp.PathOf("offered.exe.sig"),
          Elsewhere.PathOf("linked.exe")})
      DeleteFileW(WideFromUtf8(file).c_str());
    // Nothing but the program itself may change.
    EXPECT_EQ(Folder.FileNames(), files);
    EXPECT_EQ(Folder.ReadFile("system.ini"), kSystemIni);
    EXPECT_EQ(Elsewhere.FileNames(), std::vector<std::string>{"victim.exe"});
    EXPECT_TRUE(Elsewhere.ReadFile("victim.exe") == OldProgram) << "victim.exe was changed";
    break;
  }
  case TAction::TraceDisk: {
    ASSERT_TRUE(StartLinuxProgram("Z:\\bin\\bash \"" TRACE_DISK_SCRIPT "\" \"" +
                                  Traces.LinuxPath() + "/disk.log\" \"" + Traces.LinuxPath() +
                                  "/stop\" " + Folder.Name()));
    // The wineserver and the updater.
    ASSERT_TRUE(WaitUntil([&] {
      const std::string attach =
          Traces.Exists("disk.log.attach") ? Traces.ReadFile("disk.log.attach") : "";
      return attach.find("attached") != attach.rfind("attached");
    })) << "strace did not attach";
    break;
  }
  case TAction::ExpectFlushBeforeMove:
    ExpectFlushBeforeMove();
    break;
  case TAction::StartHost:
    Hosts.push_back(
        std::make_unique<TUpdaterProcess>(ProgramPath(step.Program == kSecondDrive), "/stay"));
    ASSERT_TRUE(WaitUntil([&] { return MarkerText() == "version 1\n"; }));
    DeleteFileW(WideFromUtf8(Folder.PathOf(Names.Marker())).c_str());
    break;
  case TAction::Downloaded:
  case TAction::ExpectWaiting: {
    // A download left by an updater that was ended lies there until the next one makes its own.
    ASSERT_TRUE(WaitUntil([&] {
      return Server->Requests().size() == 2 * UpdatersStarted &&
             Describe(Names.Download()) == Describe(TContent::NewProgram);
    })) << "the download did not complete";
    if (step.Action == TAction::Downloaded)
      break;
    // Longer than the few short retries that wait out a file held by no process.
    EXPECT_FALSE(WaitUntil([&] { return !Updater->Running(); }, 3500)) << "the updater ended";
    EXPECT_TRUE(ProgramIs(TContent::OldProgram)) << "the program was replaced while it ran";
    const TKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, Updater->Id()));
    EXPECT_EQ(GetPriorityClass(process.Get()), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    break;
  }
  case TAction::EndHost: {
    ASSERT_FALSE(Hosts.empty());
    Hosts.front()->Terminate();
    Hosts.pop_front();
    if (!Hosts.empty())
      break;
    // How long the program waits for its update once it has closed; bench/ measures it closely.
    const ULONGLONG ended = GetTickCount64();
    ASSERT_TRUE(WaitUntil([&] { return ProgramIs(TContent::NewProgram); }));
    const ULONGLONG replaced = GetTickCount64() - ended;
    RecordProperty("replaced_ms_after_the_program_ended", std::to_string(replaced));
    break;
  }
  case TAction::RunProgram:
    Updater->WaitForExitCode();
    Hosts.push_back(std::make_unique<TUpdaterProcess>(Folder.PathOf(Names.Host), ""));
    EXPECT_TRUE(WaitUntil([&] { return MarkerText() == "version 2\n"; }));
    Hosts.clear();
    DeleteFileW(WideFromUtf8(Folder.PathOf(Names.Marker())).c_str());
    break;
  case TAction::SecondAuto:
    EXPECT_EQ(StartedUpdater(step.Program == kSecondDrive)->WaitForExitCode(),
              std::optional<DWORD>(static_cast<DWORD>(TUpdateOutcome::AlreadyRunning)));
    break;
  case TAction::EndSession: {
    DWORD_PTR agreed = 0;
    ASSERT_TRUE(SendMessageTimeoutW(UpdateDialog(*Updater), WM_QUERYENDSESSION, 0, 0,
                                    SMTO_ABORTIFHUNG, 5000, &agreed));
    EXPECT_TRUE(agreed) << "the updater held the session up";
    SendMessageTimeoutW(UpdateDialog(*Updater), WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                        &agreed);
    if (WaitForSingleObject(Updater->Handle(), 2000) == WAIT_TIMEOUT)
      TerminateProcess(Updater->Handle(), 0);
    break;
  }
  case TAction::KillUpdater:
    Updater->Terminate();
    EXPECT_TRUE(ProgramIs(TContent::OldProgram)) << "the old program is not whole";
    break;
  case TAction::StartUpdater:
    StartUpdater(step.Program == kSecondDrive);
    break;
  case TAction::Ended:
    ExpectEndWithoutFurtherBox();
    break;
  case TAction::OpenAbout:
    ASSERT_TRUE(PostMessageW(UpdateDialog(*Updater), WM_SYSCOMMAND, 0x1000, 0));
    AboutBox = WaitForTopLevelWindow(Updater->Id(), [](HWND window) {
      return WindowClassName(window) == "TAboutDlg" && IsWindowVisible(window);
    });
    ASSERT_NE(AboutBox, nullptr) << "no About box opened";
    EXPECT_TRUE(KeepScreenshot(Updater->Id(), picture));
    break;
  }
}

// The bar runs from 0 to the announced length and shows the bytes received: it is moved only
// when that fills another pixel, so it may stand up to one pixel's worth behind them, and at
// the end exactly there. The progress text gives them in whole percent.
void UpdaterWorkflow::ExpectProgress(const std::string &picture, LRESULT position,
                                     const std::string &status) {
  const HWND dialog = UpdateDialog(*Updater);
  const std::string percent =
      "Updating: " + std::to_string(position * 100 / NewProgram.size()) + "% Done...";
  const auto showsPosition = [&](const TProgressView &view) {
    const LRESULT lag = position == view.High ? 1 : view.High / view.BarWidth + 1;
    return view.Position <= position && position - view.Position < lag;
  };
  // The bar moves first, the labels follow within the same event.
  WaitUntil([&] {
    const TProgressView view = ReadProgress(dialog);
    return showsPosition(view) && view.DownloadStatus == percent && view.Status == status;
  });
  const TProgressView view = ReadProgress(dialog);
  EXPECT_TRUE(showsPosition(view)) << view.Position << " shown for " << position;
  EXPECT_EQ(view.Low, 0);
  EXPECT_EQ(view.High, static_cast<LRESULT>(NewProgram.size()));
  EXPECT_EQ(view.DownloadStatus, percent);
  EXPECT_EQ(view.Status, status);
  // Until the signature has arrived the update can still be aborted.
  EXPECT_EQ(view.CancelEnabled,
            position < static_cast<LRESULT>(NewProgram.size()) || status == kVerifying);
  EXPECT_TRUE(KeepScreenshot(Updater->Id(), picture));
}

// Wine flushes in the program's process and renames in the wineserver: the rename is asked for
// only once the flush has returned, so the trace holds them in their order.
void UpdaterWorkflow::ExpectFlushBeforeMove() {
  Traces.WriteFile("stop", "");
  ASSERT_TRUE(WaitUntil([&] { return Traces.Exists("disk.log.done"); }));
  const std::string folder = Folder.Name() + "/";
  const std::string log = Traces.ReadFile("disk.log");
  const size_t flush = log.find(folder + Names.Download() + ">)");
  const size_t move = log.find(folder + Names.Download() + "\", \"");
  ASSERT_NE(move, std::string::npos) << "no rename of the download in:\n" << log;
  EXPECT_NE(log.find(folder + Names.Host + "\")", move), std::string::npos);
  EXPECT_LT(flush, move) << "the download was not flushed before its rename:\n" << log;
}

void UpdaterWorkflow::ExpectEndWithoutFurtherBox() {
  HWND box = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindowsOf(Updater->Id()))
      if (window != OpenBox && IsVisibleDialogBox(window))
        box = window;
    return box || !Updater->Running();
  });
  if (box) {
    const TMessageBoxView view = ReadMessageBox(box);
    FAIL() << "a further box appeared: \"" << view.Caption << "\": \"" << view.Text << "\"";
  }
  EXPECT_EQ(Updater->WaitForExitCode(), std::optional<DWORD>(static_cast<DWORD>(
                                            GetParam().Quiet.value_or(TUpdateOutcome::UpToDate))));
}

std::string UpdaterWorkflow::Describe(const std::string &name) const {
  if (!Folder.Exists(name))
    return Describe(TContent::Missing);
  const std::string content = Folder.ReadFile(name);
  if (content == OldProgram)
    return Describe(TContent::OldProgram);
  if (content == NewProgram)
    return Describe(TContent::NewProgram);
  if (content == NewProgram.substr(0, Received))
    return Describe(TContent::FirstHalfOfNew);
  return std::to_string(content.size()) + " other bytes";
}

std::string UpdaterWorkflow::Describe(TContent content) const {
  switch (content) {
  case TContent::Missing:
    return "missing";
  case TContent::OldProgram:
    return "the old program";
  case TContent::NewProgram:
    return "the new program";
  case TContent::FirstHalfOfNew:
    return "the first " + std::to_string(Received) + " bytes of the new program";
  }
  return "";
}

std::string UpdaterWorkflow::ProgramPath(bool onSecondDrive) const {
  return onSecondDrive ? Folder.PathOnSecondDrive(Names.Host) : Folder.PathOf(Names.Host);
}

std::unique_ptr<TUpdaterProcess> UpdaterWorkflow::StartedUpdater(bool onSecondDrive) {
  // The host passes its program's full path quoted, for the blank in it.
  const TWorkflowRow &row = GetParam();
  auto updater = std::make_unique<TUpdaterProcess>(UpdaterHome().PathOf(Names.Updater),
                                                   std::string(row.CurrentVersion) + " \"" +
                                                       ProgramPath(onSecondDrive) + "\"" +
                                                       (row.Automatic ? " /auto"
                                                        : row.Quiet   ? " /quiet"
                                                                      : ""));
  if (row.Automatic)
    Windows.Add(updater->Id());
  return updater;
}

void UpdaterWorkflow::StartUpdater(bool onSecondDrive) {
  Updater = StartedUpdater(onSecondDrive);
  ++UpdatersStarted;
}

// The host holds its marker open, unshared, while it writes it.
std::string UpdaterWorkflow::MarkerText() const {
  try {
    return Folder.Exists(Names.Marker()) ? Folder.ReadFile(Names.Marker()) : "";
  } catch (const std::runtime_error &) {
    return "";
  }
}

TEST_P(UpdaterWorkflow, GoesTheWayTheUserAnswers) {
  const TWorkflowRow &row = GetParam();
  if (row.HttpsFolder.empty()) {
    const std::string address = NextServerAddress(kAddressBlock);
    std::vector<TScriptedReply> replies{VersionReply(row.Served),
                                        DownloadReply(row.Served.Download, NewProgram)};
    std::vector<std::string> settings = UsableSettings(address);
    if (!row.Timeout.empty())
      settings.push_back(row.Timeout);
    for (const TScriptedReply &rest : ResumeReplies(row.Served.Download, NewProgram))
      replies.push_back(rest);
    const std::vector<TScriptedReply> delta = DeltaReplies(row.Served.Delta);
    if (Rebuilds(row.Served.Delta))
      replies.erase(replies.begin() + 1);
    replies.insert(replies.begin() + 1, delta.begin(), delta.end());
    if (row.Served.Delta != TDelta::None)
      settings.push_back("DeltaUpdates=1");
    if (row.KeyCheck) {
      replies.push_back(SignatureReply(*row.KeyCheck));
      settings.push_back("PublicKey=" + PublicKeySetting(row.KeyCheck->PublicKey));
    }
    if (row.Recorded) {
      const std::string record =
          "version=3\nsize=" + std::to_string(ReadWholeFile(DEMO_HOST_V3_PATH).size()) +
          "\nsha256=" + ReadWholeFile(DELTAS "v3.sha256") + "\npublished=2020-01-01T00:00:00Z\n";
      replies.insert(replies.begin() + 1, DownloadReply(TDownload::Whole, record));
      settings.push_back("ReleaseRecord=http://" + address + "/updates/record.txt");
    }
    // The automatic start may be started again, and ask for both again; with a program that
    // cannot be replaced, for the version file alone.
    if (row.ProgramReadOnly)
      replies = std::vector<TScriptedReply>(2, replies[0]);
    else if (row.Automatic)
      replies.insert(replies.end(), {replies[0], replies[1]});
    Server = std::make_unique<TLoopbackServer>(address, std::move(replies));
    UpdaterHome().WriteFile(Names.Settings(), Settings(settings));
  } else {
    UpdaterHome().WriteFile(
        Names.Settings(),
        Settings({"AppTitle=Foo", "VersionFile=" + row.HttpsFolder + "/version.txt",
                  "DownloadFile=" + row.HttpsFolder + "/new.exe"}));
  }
  const std::wstring program = WideFromUtf8(Folder.PathOf(Names.Host));
  if (row.ProgramReadOnly) {
    ASSERT_TRUE(SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  if (!row.Automatic)
    StartUpdater();

  for (size_t i = 0; i < row.Steps.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i + 1));
    Perform(row.Steps[i], "workflow-" + std::string(row.Name) + "-" + std::to_string(i + 1));
    if (HasFailure())
      return;
  }
  ExpectEndWithoutFurtherBox();

  const std::string version = "GET /updates/version.txt HTTP/1.0";
  const std::string download = "GET /updates/new.exe HTTP/1.0";
  // The delta first, when the settings ask for one, then the download: after it, its signature,
  // an automatic start's second check, or the resumes.
  std::vector<std::string> asked{version};
  if (row.Recorded)
    asked.push_back("GET /updates/record.txt HTTP/1.0");
  if (row.Served.Delta != TDelta::None) {
    const std::string delta =
        "GET /updates/new.exe.from-" + ReadWholeFile(DELTAS "v1.sha256") + " HTTP/1.0";
    asked.insert(asked.end(), row.Served.Delta == TDelta::CutAndResumed ? 2 : 1, delta);
  }
  if (!Rebuilds(row.Served.Delta))
    asked.push_back(download);
  if (row.KeyCheck)
    asked.push_back("GET /updates/new.exe.sig HTTP/1.0");
  else if (row.Automatic)
    asked.insert(asked.end(), {version, download});
  else
    asked.insert(asked.end(), 3, download);
  // A program that cannot be replaced costs each start the version check alone.
  if (row.ProgramReadOnly) {
    asked.assign(row.Left.Requests, version);
    EXPECT_TRUE(GetFileAttributesW(program.c_str()) & FILE_ATTRIBUTE_READONLY)
        << "the program's read-only mark was cleared";
  }
  if (Server) {
    std::vector<std::string> requestLines;
    for (const std::string &request : Server->Requests())
      requestLines.push_back(request.substr(0, request.find("\r\n")));
    EXPECT_EQ(requestLines,
              std::vector<std::string>(asked.begin(), asked.begin() + row.Left.Requests));
  }
  // Read to a byte past the record's size: sent at most that, WinINet's buffer, pieces in flight.
  if (row.Served.Download == TDownload::Padded) {
    EXPECT_LT(Server->Sent().at(2), NewProgram.size() + 64 * 1024);
  }
  EXPECT_EQ(Describe(Names.Host), Describe(row.Left.Program));
  EXPECT_EQ(Describe(Names.Download()), Describe(row.Left.Downloaded));
  EXPECT_FALSE(Folder.Exists(Names.Download() + ".delta")) << "a delta was left";
  if (row.Left.HostStarted) {
    // The shell starts the program on its own; it may write its marker after the updater ended.
    const std::string marker = "version " + row.Served.VersionBody + "\n";
    EXPECT_TRUE(WaitUntil([&] { return MarkerText() == marker; }))
        << "the new program was not started";
  } else {
    EXPECT_FALSE(Folder.Exists(Names.Marker())) << "a program was started";
  }
  EXPECT_EQ(Updater->ProcessesStarted(), 1u + row.Left.InstallSteps + row.Left.HostStarted);
  EXPECT_EQ(UserTemp.FileNames(), std::vector<std::string>()) << "left in the temporary folder";
  if (row.Automatic) {
    EXPECT_EQ(Windows.Seen(), std::vector<std::string>()) << "the updater showed a window";
  }
}

constexpr bool kStarted = true;
constexpr bool kNotStarted = false;
const TContent kOld = TContent::OldProgram;
const TContent kNew = TContent::NewProgram;
const TContent kNone = TContent::Missing;

const std::vector<TStep> kWholeRoad = {Answer(kOffer, "Yes"), Answer(kReplace, "Yes"),
                                       Answer(kCloseProgram, "OK"), Answer(kRun, "Yes")};

// The version check held at the server while the test looks for a window, then let go.
const std::vector<TStep> kWatchedCheck = {Do(TAction::ExpectHidden), Do(TAction::Release)};

std::string Repeated(const std::string &text, size_t times) {
  std::string repeated;
  for (size_t i = 0; i < times; ++i)
    repeated += text;
  return repeated;
}

const std::vector<TWorkflowRow> kRows = {
    Row("whole_road", {"200 OK", "2", TDownload::Stalled}, "1",
        {Do(TAction::TraceDisk), Answer(kOffer, "Yes"), Do(TAction::Midway), Do(TAction::Release),
         Answer(kReplace, ""), Do(TAction::Complete), Do(TAction::Click, "Yes"),
         Answer(kCloseProgram, "OK"), Answer(kRun, ""), Do(TAction::ExpectFlushBeforeMove),
         Do(TAction::Click, "Yes")},
        {2, kNew, kNone, kStarted}),
    // The download goes on behind the About box, and its question appears above it.
    Row("about_box_during_download", {"200 OK", "2", TDownload::Stalled}, "1",
        {Answer(kOffer, "Yes"), Do(TAction::Midway), Do(TAction::OpenAbout), Do(TAction::Release),
         Answer(kReplace, ""), Do(TAction::Complete), Do(TAction::Click, "No")},
        {2, kOld, kNew, kNotStarted}),
    Row("no_to_the_offer", {"200 OK", "2", TDownload::Whole}, "1", {Answer(kOffer, "No")},
        {1, kOld, kNone, kNotStarted}),
    Row("latest_version", {"200 OK", "2", TDownload::Whole}, "2", {Answer(kLatest, "OK")},
        {1, kOld, kNone, kNotStarted}),
    // Versions compare as text: "9" sorts after "10".
    Row("latest_version_by_text", {"200 OK", "10", TDownload::Whole}, "9", {Answer(kLatest, "OK")},
        {1, kOld, kNone, kNotStarted}),
    Row("version_with_line_end", {"200 OK", "5\r\n", TDownload::Whole}, "1",
        {Answer(kTooLong, "OK")}, {1, kOld, kNone, kNotStarted}),
    // Read no further than a version file can be, long before the stall would end it.
    Row("version_file_endless", {"200 OK", std::string(65536, '7'), TDownload::Whole, false, true},
        "1", {Answer(kTooLong, "OK")}, {1, kOld, kNone, kNotStarted}),
    Row("version_file_empty", {"200 OK", "", TDownload::Whole}, "1", {Answer(kNoVersionFile, "OK")},
        {1, kOld, kNone, kNotStarted}),
    Row("version_file_not_found", {"404 Not Found", "none", TDownload::Whole}, "1",
        {Answer(kNoVersionFile, "OK")}, {1, kOld, kNone, kNotStarted}),
    Row("version_not_a_number", {"200 OK", "ab", TDownload::Whole}, "1",
        {Answer(kNotANumber, "OK")}, {1, kOld, kNone, kNotStarted}),
    Row("download_not_found", {"200 OK", "2", TDownload::NotFound}, "1",
        {Answer(kOffer, "Yes"), Answer(kConnectionLost, "OK")}, {2, kOld, kNone, kNotStarted}),
    Row("download_cut_off", {"200 OK", "2", TDownload::CutOff}, "1",
        {Answer(kOffer, "Yes"), Answer(kConnectionLost, "OK")},
        {2, kOld, TContent::FirstHalfOfNew, kNotStarted}),
    // A cut download goes on where it was cut, unseen; three resumes that fail end it as before.
    Row("download_cut_and_resumed", {"200 OK", "2", TDownload::Resumed}, "1", kWholeRoad,
        {3, kNew, kNone, kStarted}),
    Row("download_cut_for_good", {"200 OK", "2", TDownload::CutForGood}, "1",
        {Answer(kOffer, "Yes"), Answer(kConnectionLost, "OK")},
        {5, kOld, TContent::FirstHalfOfNew, kNotStarted}),
    Row("no_to_replace", {"200 OK", "2", TDownload::Whole}, "1",
        {Answer(kOffer, "Yes"), Answer(kReplace, "No")}, {2, kOld, kNew, kNotStarted}),
    Row("cancel_not_confirmed", {"200 OK", "2", TDownload::Stalled}, "1",
        {Answer(kOffer, "Yes"), Do(TAction::Midway), Do(TAction::ClickCancel), Answer(kAbort, "No"),
         Do(TAction::Release), Answer(kReplace, "No")},
        {2, kOld, kNew, kNotStarted}),
    Row("cancel_confirmed", {"200 OK", "2", TDownload::Stalled}, "1",
        {Answer(kOffer, "Yes"), Do(TAction::Midway), Do(TAction::ClickCancel),
         Answer(kAbort, "Yes")},
        {2, kOld, TContent::FirstHalfOfNew, kNotStarted}),
    Row("close_request_during_download", {"200 OK", "2", TDownload::Stalled}, "1",
        {Answer(kOffer, "Yes"), Do(TAction::Midway), Do(TAction::RequestClose),
         Answer(kAbort, "Yes")},
        {2, kOld, TContent::FirstHalfOfNew, kNotStarted}),
    // Once the download is complete nothing is left to abort, so nothing is asked.
    Row("close_request_at_replace", {"200 OK", "2", TDownload::Whole}, "1",
        {Answer(kOffer, "Yes"), Answer(kReplace, ""), Do(TAction::Complete),
         Do(TAction::RequestClose)},
        {2, kOld, kNew, kNotStarted}),
    Row("locked_program_retried", {"200 OK", "2", TDownload::Whole}, "1",
        {Do(TAction::LockProgram), Answer(kOffer, "Yes"), Answer(kReplace, "Yes"),
         Answer(kCloseProgram, "OK"), Answer(kReplaceFailed, ""), Do(TAction::UnlockProgram),
         Do(TAction::Click, "Retry"), Answer(kRun, "No")},
        {2, kNew, kNone, kNotStarted}),
    Row("locked_program_given_up", {"200 OK", "2", TDownload::Whole}, "1",
        {Do(TAction::LockProgram), Answer(kOffer, "Yes"), Answer(kReplace, "Yes"),
         Answer(kCloseProgram, "OK"), Answer(kReplaceFailed, "Cancel")},
        {2, kOld, kNew, kNotStarted}),
    Row("download_empty", {"200 OK", "2", TDownload::Empty}, "1",
        {Answer(kOffer, "Yes"), Answer(kNotAProgram, "OK")}, {2, kOld, kNone, kNotStarted}),
    Row("download_web_page", {"200 OK", "2", TDownload::WebPage}, "1",
        {Answer(kOffer, "Yes"), Answer(kNotAProgram, "OK")}, {2, kOld, kNone, kNotStarted}),
    // A library under the program's name begins as a program does, but cannot be started.
    Serving(FIXTURE_LIBRARY, Row("download_a_library", {"200 OK", "2", TDownload::Whole}, "1",
                                 {Answer(kOffer, "Yes"), Answer(kNotAProgram, "OK")},
                                 {2, kOld, kNone, kNotStarted})),
    // A file left under the download's name earlier is replaced by a new one.
    Row("planted_download_replaced", {"200 OK", "2", TDownload::Whole}, "1",
        {Do(TAction::PlantDownload), Answer(kOffer, "Yes"), Answer(kReplace, "No")},
        {2, kOld, kNew, kNotStarted}),
    // While the user decides, the checked download can be read but not written.
    Row("download_held_while_asked", {"200 OK", "2", TDownload::Whole}, "1",
        {Answer(kOffer, "Yes"), Answer(kReplace, ""), Do(TAction::TryToWrite),
         Do(TAction::Click, "Yes"), Answer(kCloseProgram, "OK"), Answer(kRun, "No")},
        {2, kNew, kNone, kNotStarted}),
    WithTimeout(Row("stall_before_the_headers", {"200 OK", "2", TDownload::Whole, true}, "1",
                    {Answer(kNoVersionFile, "OK")}, {1, kOld, kNone, kNotStarted}),
                3),
    WithTimeout(Row("stall_in_the_body", {"200 OK", "2", TDownload::Stalled}, "1",
                    {Answer(kOffer, "Yes"), Do(TAction::Midway), Answer(kConnectionLost, "OK")},
                    {2, kOld, TContent::FirstHalfOfNew, kNotStarted}),
                3),
    // Two seconds between pieces is slow, not stalled.
    WithTimeout(Row("slow_body", {"200 OK", "2", TDownload::Slow}, "1",
                    {Answer(kOffer, "Yes"), Answer(kReplace, "No")}, {2, kOld, kNew, kNotStarted}),
                3),
    // The stall would last the default 60 s; the abort ends the updater long before.
    Row("cancel_during_a_stall", {"200 OK", "2", TDownload::Stalled}, "1",
        {Answer(kOffer, "Yes"), Do(TAction::Midway), Do(TAction::ClickCancel),
         Answer(kAbort, "Yes")},
        {2, kOld, TContent::FirstHalfOfNew, kNotStarted}),
    HttpsRow("https_signed_whole_road", "https://127.0.3.1/signed-host",
             SIGNED_PROGRAMS "host-v1-by-a.exe", SIGNED_PROGRAMS "host-v2-by-a.exe",
             {Answer(kOffer, "Yes"), Answer(kReplace, "Yes"), Answer(kCloseProgram, "OK"),
              Answer(kRun, "Yes")},
             {2, kNew, kNone, kStarted}),
    // A byte changed after signing breaks the signature, so the publisher is not recognised.
    HttpsRow("https_tampered_download", "https://127.0.3.1/flipped-host",
             SIGNED_PROGRAMS "host-v1-by-a.exe", SIGNED_PROGRAMS "host-v2-flipped.exe",
             {Answer(kOffer, "Yes"), Answer(kNotByPublisher, "OK")}, {2, kOld, kNone, kNotStarted}),
    // Each hop must stay on https, not only the last.
    HttpsRow("https_redirect_through_http", "https://127.0.3.5/via-http/signed-host",
             SIGNED_PROGRAMS "host-v1-by-a.exe", SIGNED_PROGRAMS "host-v2-by-a.exe",
             {Answer(kNoVersionFile, "OK")}, {1, kOld, kNone, kNotStarted}),
    // The publisher's own key: what is installed is what the key signed, and nothing else.
    KeyRow("key_p256", "@p256", TSignature::FromFile, "host-v2.p256.sig",
           {Answer(kOffer, "Yes"), Answer(kReplace, "Yes"), Answer(kCloseProgram, "OK"),
            Answer(kRun, "Yes")},
           {3, kNew, kNone, kStarted}),
    KeyRow("key_p384", "@p384", TSignature::FromFile, "host-v2.p384.sig",
           {Answer(kOffer, "Yes"), Answer(kReplace, "Yes"), Answer(kCloseProgram, "OK"),
            Answer(kRun, "No")},
           {3, kNew, kNone, kNotStarted}),
    KeyRow("key_rsa3072", "@rsa3072", TSignature::FromFile, "host-v2.rsa3072.sig",
           {Answer(kOffer, "Yes"), Answer(kReplace, "Yes"), Answer(kCloseProgram, "OK"),
            Answer(kRun, "No")},
           {3, kNew, kNone, kNotStarted}),
    KeyRow("key_of_someone_else", "@p256", TSignature::FromFile, "host-v2.another-p256.sig",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted}),
    KeyRow("key_download_changed_after_signing", "@p256", TSignature::FromFile, "host-v2.p256.sig",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted},
           DEMO_HOST_V1_PATH, SIGNED_PROGRAMS "host-v2-changed.exe"),
    KeyRow("key_signature_of_another_file", "@p256", TSignature::FromFile, "host-v1.p256.sig",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted}),
    KeyRow("key_signature_not_found", "@p256", TSignature::NotFound, "",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted}),
    KeyRow("key_signature_empty", "@p256", TSignature::Empty, "",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted}),
    KeyRow("key_signature_garbage", "@p256", TSignature::Garbage, "",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted}),
    // Refused after five kilobytes, long before the stall that follows them would end it.
    KeyRow("key_signature_oversized", "@p256", TSignature::Oversized, "",
           {Answer(kOffer, "Yes"), Answer(kNotSignedWithKey, "OK")}, {3, kOld, kNone, kNotStarted}),
    // Signed with the key, but older than the installed program.
    KeyRow("key_older_version", "@p256", TSignature::FromFile, "host-v1.p256.sig",
           {Answer(kOffer, "Yes"), Answer(kOlderVersion, "OK")}, {3, kOld, kNone, kNotStarted},
           DEMO_HOST_V2_PATH, DEMO_HOST_V1_PATH),
    // While the signature is on its way, Cancel and a close request still abort, and the
    // download goes with the updater.
    KeyRow("key_cancel_while_verifying", "@p256", TSignature::Stalled, "",
           {Answer(kOffer, "Yes"), Do(TAction::Verifying), Do(TAction::ClickCancel),
            Answer(kAbort, "Yes")},
           {3, kOld, kNone, kNotStarted}),
    KeyRow("key_close_request_while_verifying", "@p256", TSignature::Stalled, "",
           {Answer(kOffer, "Yes"), Do(TAction::Verifying), Do(TAction::RequestClose),
            Answer(kAbort, "Yes")},
           {3, kOld, kNone, kNotStarted}),
    // A key that would protect nothing stops the updater before anything is fetched.
    KeyRow("key_of_another_curve", "@p521", TSignature::NotFound, "",
           {Answer(kUnusableSettings, "OK")}, {0, kOld, kNone, kNotStarted}),
    KeyRow("key_rsa_too_short", "@rsa1024", TSignature::NotFound, "",
           {Answer(kUnusableSettings, "OK")}, {0, kOld, kNone, kNotStarted}),
    KeyRow("key_not_base64", "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAE!", TSignature::NotFound, "",
           {Answer(kUnusableSettings, "OK")}, {0, kOld, kNone, kNotStarted}),
    // A folder that refuses the user's files: the download goes to the temporary folder, and
    // the updater starts itself to install it, once per attempt; the program starts as the user.
    KeyRow("folder_writable_again_before_replace", "@p256", TSignature::FromFile,
           "host-v2.p256.sig",
           {Do(TAction::LockFolder), Answer(kOffer, "Yes"), Answer(kReplace, ""),
            Do(TAction::UnlockFolder), Do(TAction::TraceDisk), Do(TAction::Click, "Yes"),
            Answer(kCloseProgram, "OK"), Answer(kRun, ""), Do(TAction::ExpectFlushBeforeMove),
            Do(TAction::Click, "Yes")},
           {3, kNew, kNone, kStarted, 1}),
    KeyRow("folder_stays_locked", "@p256", TSignature::FromFile, "host-v2.p256.sig",
           {Do(TAction::LockFolder), Answer(kOffer, "Yes"), Answer(kReplace, "Yes"),
            Answer(kCloseProgram, "OK"), Answer(kReplaceFailed, "Retry"),
            Answer(kReplaceFailed, "Cancel")},
           {3, kOld, kNone, kNotStarted, 2}),
    // Rights are asked for only for a download that something proves: nothing is fetched, and
    // the install step started directly refuses too.
    Row("folder_locked_nothing_proves_a_download", {"200 OK", "2", TDownload::Whole}, "1",
        {Do(TAction::LockFolder), Answer(kOffer, "Yes"), Answer(kUnsignedNeedsRights, "OK"),
         InstallDirectly(TInstallOutcome::Unproven)},
        {1, kOld, kNone, kNotStarted}),
    // Started directly, the install step checks its own copy of what it is given.
    KeyRow("install_step_started_directly", "@p256", TSignature::FromFile, "host-v2.p256.sig",
           {Answer(kOffer, "No"), InstallDirectly(TInstallOutcome::NotSignedWithKey)},
           {1, kOld, kNone, kNotStarted}, DEMO_HOST_V1_PATH, SIGNED_PROGRAMS "host-v2-changed.exe"),
    Stalled(KeyRow("folder_locked_cancel_during_download", "@p256", TSignature::FromFile,
                   "host-v2.p256.sig",
                   {Do(TAction::LockFolder), Answer(kOffer, "Yes"), Do(TAction::Midway),
                    Do(TAction::ClickCancel), Answer(kAbort, "Yes")},
                   {2, kOld, kNone, kNotStarted})),
    // Whatever any program of the user asks of it, the install step installs only a proven
    // program over the one that lies with the updater, and touches nothing else.
    KeyRow(
        "install_step_asked_for_anything_else", "@p256", TSignature::FromFile, "host-v2.p256.sig",
        {Answer(kOffer, "No"),
         InstallDirectly(TInstallOutcome::ProgramRefused, std::string(kElsewhere) + "victim.exe"),
         InstallDirectly(TInstallOutcome::ProgramRefused, "system.ini"),
         InstallDirectly(TInstallOutcome::ProgramRefused, "missing.exe"),
         InstallDirectly(TInstallOutcome::NotAProgram, "", true)},
        {1, kOld, kNone, kNotStarted}),
    // Started quietly at a launch of the program: nothing shows until an update is offered.
    Quietly(TUpdateOutcome::UpToDate,
            Row("quiet_up_to_date", {"200 OK", "1", TDownload::Whole, true}, "1", kWatchedCheck,
                {1, kOld, kNone, kNotStarted})),
    Quietly(TUpdateOutcome::CheckFailed,
            Row("quiet_version_file_not_found", {"404 Not Found", "", TDownload::Whole, true}, "1",
                kWatchedCheck, {1, kOld, kNone, kNotStarted})),
    Quietly(TUpdateOutcome::Updated,
            Row("quiet_updated", {"200 OK", "2", TDownload::Whole, true}, "1",
                {Do(TAction::ExpectHidden), Do(TAction::Release), Answer(kOffer, "Yes"),
                 Answer(kReplace, "Yes"), Answer(kCloseProgram, "OK"), Answer(kRun, "Yes")},
                {2, kNew, kNone, kStarted})),
    Quietly(TUpdateOutcome::Declined, Row("quiet_declined", {"200 OK", "2", TDownload::Whole}, "1",
                                          {Answer(kOffer, "No")}, {1, kOld, kNone, kNotStarted})),
    // A download that fails after the user asked for it is shown.
    Quietly(TUpdateOutcome::UpdateFailed,
            Row("quiet_download_not_found", {"200 OK", "2", TDownload::NotFound}, "1",
                {Answer(kOffer, "Yes"), Answer(kConnectionLost, "OK")},
                {2, kOld, kNone, kNotStarted})),
    // Started with /auto: nothing shows, ever; an update takes the program's place once the
    // program has closed, and runs from its next start.
    Automatically(TUpdateOutcome::UpToDate,
                  Row("auto_up_to_date", {"200 OK", "1", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater)},
                      {1, kOld, kNone, kNotStarted})),
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_update_while_the_program_runs", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::EndHost), Do(TAction::RunProgram)},
                      {2, kNew, kNone, kNotStarted})),
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_two_instances", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::EndHost), Do(TAction::ExpectWaiting),
                       Do(TAction::EndHost)},
                      {2, kNew, kNone, kNotStarted})),
    // Only the user may grant the rights that a closed folder needs: nothing is downloaded. The
    // folder opens again as it goes: opened while the server listened, under Wine, it left the
    // next row's server without a socket.
    Automatically(TUpdateOutcome::InstallNeedsUser,
                  Row("auto_folder_the_user_cannot_write", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::LockFolder), Do(TAction::StartUpdater)},
                      {1, kOld, kNone, kNotStarted})),
    Automatically(TUpdateOutcome::UpdateFailed,
                  Row("auto_download_refused", {"200 OK", "2", TDownload::WebPage}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater)},
                      {2, kOld, kNone, kNotStarted})),
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_second_start", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::SecondAuto), Do(TAction::EndHost)},
                      {2, kNew, kNone, kNotStarted})),
    // The program is the same file whichever drive letter reaches it.
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_program_started_through_a_second_drive",
                      {"200 OK", "2", TDownload::Whole}, "1",
                      {OnSecondDrive(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::EndHost), Do(TAction::RunProgram)},
                      {2, kNew, kNone, kNotStarted})),
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_program_named_through_a_second_drive",
                      {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), OnSecondDrive(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::SecondAuto), Do(TAction::EndHost)},
                      {2, kNew, kNone, kNotStarted})),
    // A program file that no move may replace: nothing is downloaded, at any start.
    Automatically(
        TUpdateOutcome::ProgramReadOnly,
        ReadOnly(Row("auto_read_only_program", {"200 OK", "2", TDownload::Whole}, "1",
                     {Do(TAction::StartUpdater), Do(TAction::Ended), Do(TAction::StartUpdater)},
                     {2, kOld, kNone, kNotStarted}))),
    Quietly(TUpdateOutcome::ProgramReadOnly,
            ReadOnly(Row("quiet_read_only_program", {"200 OK", "2", TDownload::Whole}, "1",
                         {Answer(kReadOnlyProgram, "OK")}, {1, kOld, kNone, kNotStarted}))),
    ReadOnly(Row("read_only_program", {"200 OK", "2", TDownload::Whole}, "1",
                 {Answer(kReadOnlyProgram, "OK")}, {1, kOld, kNone, kNotStarted})),
    // A file held by no process, as a virus scanner holds it, is waited out for a few seconds.
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_short_hold_waited_out", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::LockProgram), Do(TAction::StartUpdater), Do(TAction::Downloaded),
                       Do(TAction::UnlockProgram)},
                      {2, kNew, kNone, kNotStarted})),
    Automatically(TUpdateOutcome::UpdateFailed,
                  Row("auto_held_for_good", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::LockProgram), Do(TAction::StartUpdater)},
                      {2, kOld, kNew, kNotStarted})),
    // A close request, as taskkill sends it, ends a hidden updater without a question.
    Automatically(TUpdateOutcome::Declined,
                  Row("auto_closed_while_waiting", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::RequestClose)},
                      {2, kOld, kNew, kNotStarted})),
    Quietly(TUpdateOutcome::Declined,
            Row("quiet_closed_while_checking", {"200 OK", "2", TDownload::Whole, true}, "1",
                {Do(TAction::ExpectHidden), Do(TAction::RequestClose)},
                {1, kOld, kNone, kNotStarted})),
    // The end of the session is no "up to date": the updater tells what it abandoned.
    Automatically(TUpdateOutcome::Declined,
                  Row("auto_session_ends_while_waiting", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::EndSession)},
                      {2, kOld, kNew, kNotStarted})),
    Quietly(TUpdateOutcome::Declined,
            Row("quiet_session_ends_while_checking", {"200 OK", "2", TDownload::Whole, true}, "1",
                {Do(TAction::ExpectHidden), Do(TAction::EndSession)},
                {1, kOld, kNone, kNotStarted})),
    // The next start begins again, and completes.
    Automatically(TUpdateOutcome::Updated,
                  Row("auto_killed_while_waiting", {"200 OK", "2", TDownload::Whole}, "1",
                      {Do(TAction::StartHost), Do(TAction::StartUpdater),
                       Do(TAction::ExpectWaiting), Do(TAction::KillUpdater),
                       Do(TAction::StartUpdater), Do(TAction::ExpectWaiting), Do(TAction::EndHost)},
                      {4, kNew, kNone, kNotStarted})),
    // Folders and files named in any script, whatever the system's code page (here 1252).
    In({"Программа "}, Row("cyrillic_folder", {"200 OK", "2", TDownload::Whole}, "1", kWholeRoad,
                           {2, kNew, kNone, kStarted})),
    In({"程序 ", "e2e-", "升级.exe", "程序.exe"},
       Row("cjk_folder_and_names", {"200 OK", "2", TDownload::Whole}, "1", kWholeRoad,
           {2, kNew, kNone, kStarted})),
    In({"Πρόγραμμα ", "e2e-", "updater.exe", "Host App.exe", "e2e-"},
       Row("updater_in_a_plain_folder_program_in_a_greek_one", {"200 OK", "2", TDownload::Whole},
           "1", kWholeRoad, {2, kNew, kNone, kStarted})),
    // A user named in Chinese, whose temporary folder is, and a program's folder closed to them.
    In({"Программа ", "临时文件 "},
       KeyRow("closed_cyrillic_folder_cjk_temporary_folder", "@p256", TSignature::FromFile,
              "host-v2.p256.sig",
              {Do(TAction::LockFolder), Answer(kOffer, "Yes"), Answer(kReplace, ""),
               Do(TAction::UnlockFolder), Do(TAction::Click, "Yes"), Answer(kCloseProgram, "OK"),
               Answer(kRun, "Yes")},
              {3, kNew, kNone, kStarted, 1})),
    // A path far longer in bytes than in characters still has its version read and compared.
    In({Repeated("éàüøñç", 20)},
       KeyRow("long_accented_folder_older_version", "@p256", TSignature::FromFile,
              "host-v1.p256.sig", {Answer(kOffer, "Yes"), Answer(kOlderVersion, "OK")},
              {3, kOld, kNone, kNotStarted}, DEMO_HOST_V2_PATH, DEMO_HOST_V1_PATH)),
    // A delta costs what changed: the program rebuilt from it is the new release to the byte,
    // and the whole program is never asked for.
    WithDelta(TDelta::Served, Row("delta_installed", {"200 OK", "2", TDownload::Whole}, "1",
                                  kWholeRoad, {2, kNew, kNone, kStarted})),
    WithDelta(TDelta::CutAndResumed, Row("delta_cut_and_resumed", {"200 OK", "2", TDownload::Whole},
                                         "1", kWholeRoad, {3, kNew, kNone, kStarted})),
    // Whatever is wrong with a delta, the whole program follows without a word.
    WithDelta(TDelta::NotFound, Row("delta_not_found", {"200 OK", "2", TDownload::Whole}, "1",
                                    kWholeRoad, {3, kNew, kNone, kStarted})),
    WithDelta(TDelta::Corrupt, Row("delta_corrupt", {"200 OK", "2", TDownload::Whole}, "1",
                                   kWholeRoad, {3, kNew, kNone, kStarted})),
    WithDelta(TDelta::ForAnotherRelease,
              Row("delta_for_another_release", {"200 OK", "2", TDownload::Whole}, "1", kWholeRoad,
                  {3, kNew, kNone, kStarted})),
    WithDelta(TDelta::HugeSize, Row("delta_of_a_huge_size", {"200 OK", "2", TDownload::Whole}, "1",
                                    kWholeRoad, {3, kNew, kNone, kStarted})),
    WithDelta(TDelta::RebuildsNoProgram,
              Row("delta_rebuilds_no_program", {"200 OK", "2", TDownload::Whole}, "1", kWholeRoad,
                  {3, kNew, kNone, kStarted})),
    // The user hears only of the whole download's refusal, and nothing is left.
    WithDelta(TDelta::RebuildsNoProgram,
              Row("delta_and_whole_file_refused", {"200 OK", "2", TDownload::WebPage}, "1",
                  {Answer(kOffer, "Yes"), Answer(kNotAProgram, "OK")},
                  {3, kOld, kNone, kNotStarted})),
    // The publisher's key checks the rebuilt program with the new release's own signature.
    WithDelta(TDelta::Served, KeyRow("delta_checked_with_the_key", "@p256", TSignature::FromFile,
                                     "host-v2.p256.sig", kWholeRoad, {3, kNew, kNone, kStarted})),
    WithDelta(TDelta::Served,
              KeyRow("delta_through_the_install_step", "@p256", TSignature::FromFile,
                     "host-v2.p256.sig",
                     {Do(TAction::LockFolder), Answer(kOffer, "Yes"), Answer(kReplace, ""),
                      Do(TAction::UnlockFolder), Do(TAction::Click, "Yes"),
                      Answer(kCloseProgram, "OK"), Answer(kRun, "Yes")},
                     {3, kNew, kNone, kStarted, 1})),
    // While a program at the delta's bound is hashed, the window answers, and an abort leaves
    // nothing: the delta is never asked for.
    AtTheBound(
        WithDelta(TDelta::NotFound,
                  Row("closed_while_the_program_is_hashed", {"200 OK", "2", TDownload::Whole}, "1",
                      {Answer(kOffer, "Yes"), Do(TAction::CloseWhileHashed), Answer(kAbort, "Yes")},
                      {1, kOld, kNone, kNotStarted}))),
    Quietly(TUpdateOutcome::Updated,
            WithDelta(TDelta::Served, Row("quiet_delta", {"200 OK", "2", TDownload::Whole}, "1",
                                          kWholeRoad, {2, kNew, kNone, kStarted}))),
    Automatically(
        TUpdateOutcome::Updated,
        WithDelta(TDelta::Served, Row("auto_delta", {"200 OK", "2", TDownload::Whole}, "1",
                                      {Do(TAction::StartHost), Do(TAction::StartUpdater),
                                       Do(TAction::ExpectWaiting), Do(TAction::EndHost)},
                                      {2, kNew, kNone, kNotStarted}))),
    // A release record holds the download to the offered release: a delta made for an earlier
    // one is passed over for the whole release; an older program, or a padded body, is refused.
    WithDelta(TDelta::OfAnEarlierRelease,
              RecordRow("record_stale_delta_whole_release", DEMO_HOST_V3_PATH, TDownload::Whole,
                        kWholeRoad, {4, kNew, kNone, kStarted})),
    RecordRow("record_older_release_served", DEMO_HOST_V2_PATH),
    RecordRow("record_padded_download", DEMO_HOST_V3_PATH, TDownload::Padded),
    // A program with its updater in a folder of its own.
    InSubfolder(KeyRow("install_step_from_a_subfolder", "@p256", TSignature::FromFile,
                       "host-v2.p256.sig",
                       {Answer(kOffer, "No"), InstallDirectly(TInstallOutcome::Installed)},
                       {1, kNew, kNone, kNotStarted})),
};

INSTANTIATE_TEST_SUITE_P(Rows, UpdaterWorkflow, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<TWorkflowRow> &info) {
                           return info.param.Name;
                         });

} // namespace
