// The real updater.exe started with /auto as a host starts it at every launch: it never shows a
// window, and an update it finds takes the program's place only once no process runs it.

#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"
#include "tests/e2e/ScratchFolder.h"
#include "tests/e2e/UpdaterDriver.h"
#include "tests/win/LoopbackServer.h"
#include "update/UpdateOutcome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <deque>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The block of loopback addresses for this file's servers.
constexpr int kAddressBlock = 5;
const char kHost[] = "Host App.exe";
const char kDownload[] = "Host App~.tmp";
const char kMarker[] = "Host App.exe.started";

// What happens around the updater, in order.
enum class TEvent {
  ExpectWaiting,  // the download is complete, and the updater waits in the background: the
                  // program is untouched, and stays so for seconds
  EndHost,        // the instance of the program started first of those still running ends;
                  // once the last has, the program must be replaced
  SecondAuto,     // another /auto for the program ends at once with 6
  KillUpdater,    // the updater is ended as the task manager ends it: the old program is whole
  StartAutoAgain, // the host starts the updater with /auto again, after the program has closed
};

struct TAutoRow {
  const char *Name;
  const char *Offered; // the version file, to a program of version 1
  bool ServesAProgram; // the download is a program, or else a web server's page
  int Hosts;           // instances of the program that run when the updater starts
  std::vector<TEvent> Events;
  TUpdateOutcome Outcome; // of the last updater started
  size_t Requests;        // what the server was asked, in all
  bool Updated;           // the program is the new one at the end, else the old one
  bool FolderLocked = false;
};
void PrintTo(const TAutoRow &row, std::ostream *out) { *out << row.Name; }

TScriptedReply Reply(const std::string &body) {
  return {RawReply("200 OK", {"Content-Length: " + std::to_string(body.size())}, body)};
}

// Remembers every visible top-level window of the processes it is told of, looking many times a
// second for as long as it lives.
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
    while (!fStop) {
      {
        const std::lock_guard<std::mutex> lock(fMutex);
        for (DWORD process : fProcesses)
          for (HWND window : TopLevelWindowsOf(process))
            if (IsWindowVisible(window) && fSeen.size() < 10)
              fSeen.push_back(WindowClassName(window) + " \"" + WindowText(window) + "\"");
      }
      Sleep(10);
    }
  }

  std::mutex fMutex;
  std::vector<DWORD> fProcesses;
  std::vector<std::string> fSeen;
  std::atomic<bool> fStop{false};
  std::thread fThread;
};

class AutomaticUpdate : public ::testing::TestWithParam<TAutoRow> {
protected:
  AutomaticUpdate()
      : OldProgram(ReadWholeFile(DEMO_HOST_V1_PATH)), NewProgram(ReadWholeFile(DEMO_HOST_V2_PATH)) {
    Folder.CopyIn(UPDATER_EXE_PATH, "updater.exe");
    Folder.CopyIn(DEMO_HOST_V1_PATH, kHost);
  }

  // The updater that the row follows; its download is asked for afresh.
  void StartFollowedUpdater() {
    Updater = StartUpdater();
    ++FollowedStarts;
  }
  std::unique_ptr<TUpdaterProcess> StartUpdater() {
    auto updater = std::make_unique<TUpdaterProcess>(Folder.PathOf("updater.exe"),
                                                     "1 \"" + Folder.PathOf(kHost) + "\" /auto");
    Windows.Add(updater->Id());
    return updater;
  }
  bool ProgramIs(const std::string &content) const {
    try {
      return Folder.ReadFile(kHost) == content;
    } catch (const std::runtime_error &) {
      return false; // being replaced
    }
  }
  void Perform(TEvent event);

  TScratchFolder Folder{"", "Auto "};
  const std::string OldProgram, NewProgram;
  std::unique_ptr<TLoopbackServer> Server;
  std::unique_ptr<TUpdaterProcess> Updater;
  size_t FollowedStarts = 0;
  std::deque<std::unique_ptr<TUpdaterProcess>> Hosts;
  TWindowWatch Windows;
};

void AutomaticUpdate::Perform(TEvent event) {
  switch (event) {
  case TEvent::ExpectWaiting: {
    // A download left by an updater that was ended lies there until the next one starts its own.
    ASSERT_TRUE(WaitUntil([&] {
      return Server->Requests().size() == 2 * FollowedStarts && Folder.Exists(kDownload) &&
             Folder.ReadFile(kDownload).size() == NewProgram.size();
    })) << "the download did not complete";
    // Longer than the few short retries that wait out a file held by no process.
    EXPECT_FALSE(WaitUntil([&] { return !Updater->Running(); }, 3500)) << "the updater ended";
    EXPECT_TRUE(ProgramIs(OldProgram)) << "the program was replaced while it ran";
    const TKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, Updater->Id()));
    EXPECT_EQ(GetPriorityClass(process.Get()), static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS));
    break;
  }
  case TEvent::EndHost: {
    ASSERT_FALSE(Hosts.empty());
    Hosts.front()->Terminate();
    Hosts.pop_front();
    if (!Hosts.empty())
      break;
    // How long the program is kept waiting for its update, once it has closed.
    const ULONGLONG ended = GetTickCount64();
    ASSERT_TRUE(WaitUntil([&] { return ProgramIs(NewProgram); })) << "the program was not updated";
    const ULONGLONG replaced = GetTickCount64() - ended;
    RecordProperty("replaced_ms_after_the_program_ended", std::to_string(replaced));
    std::cout << "replaced " << replaced << " ms after the program ended\n";
    break;
  }
  case TEvent::SecondAuto:
    EXPECT_EQ(StartUpdater()->WaitForExitCode(),
              std::optional<DWORD>(static_cast<DWORD>(TUpdateOutcome::AlreadyRunning)));
    break;
  case TEvent::KillUpdater:
    Updater->Terminate();
    EXPECT_TRUE(ProgramIs(OldProgram)) << "the old program is not whole";
    break;
  case TEvent::StartAutoAgain:
    StartFollowedUpdater();
    break;
  }
}

TEST_P(AutomaticUpdate, ShowsNothingAndReplacesTheProgramOnlyOnceItHasClosed) {
  const TAutoRow &row = GetParam();
  const std::string address = NextServerAddress(kAddressBlock);
  const TScriptedReply download = Reply(row.ServesAProgram ? NewProgram : "<html>Moved</html>");
  Server = std::make_unique<TLoopbackServer>(
      address,
      std::vector<TScriptedReply>{Reply(row.Offered), download, Reply(row.Offered), download});
  Folder.WriteFile("updater.ini", Settings(UsableSettings(address)));
  for (int i = 0; i < row.Hosts; ++i)
    Hosts.push_back(std::make_unique<TUpdaterProcess>(Folder.PathOf(kHost), "/stay"));
  ASSERT_TRUE(WaitUntil([&] { return Folder.Exists(kMarker); }));
  // Unlocked as the folder goes, after the server has closed: unlocked while it still listened,
  // under Wine, the folder left the next row's server unable to open a socket.
  if (row.FolderLocked) {
    ASSERT_TRUE(Folder.SetImmutable(true));
  }

  StartFollowedUpdater();
  for (size_t i = 0; i < row.Events.size(); ++i) {
    SCOPED_TRACE("event " + std::to_string(i + 1));
    Perform(row.Events[i]);
    if (HasFailure())
      return;
  }
  EXPECT_EQ(Updater->WaitForExitCode(), std::optional<DWORD>(static_cast<DWORD>(row.Outcome)));

  EXPECT_EQ(Server->Requests().size(), row.Requests);
  EXPECT_TRUE(ProgramIs(row.Updated ? NewProgram : OldProgram));
  EXPECT_FALSE(Folder.Exists(kDownload)) << "the download was left beside the program";
  EXPECT_EQ(Windows.Seen(), std::vector<std::string>()) << "the updater showed a window";
  if (row.Updated) {
    // The new version runs from the next start on.
    Hosts.clear();
    ASSERT_TRUE(DeleteFileW(WideFromUtf8(Folder.PathOf(kMarker)).c_str()));
    TUpdaterProcess next(Folder.PathOf(kHost), "");
    EXPECT_TRUE(WaitUntil(
        [&] { return Folder.Exists(kMarker) && Folder.ReadFile(kMarker) == "version 2\n"; }));
  }
}

using E = TEvent;
const TAutoRow kRows[] = {
    {"nothing_newer", "1", true, 1, {}, TUpdateOutcome::UpToDate, 1, false},
    {"update_while_the_program_runs",
     "2",
     true,
     1,
     {E::ExpectWaiting, E::EndHost},
     TUpdateOutcome::Updated,
     2,
     true},
    {"two_instances_running",
     "2",
     true,
     2,
     {E::ExpectWaiting, E::EndHost, E::ExpectWaiting, E::EndHost},
     TUpdateOutcome::Updated,
     2,
     true},
    // Only the user can grant the rights a closed folder needs: nothing is downloaded.
    {"folder_the_user_cannot_write",
     "2",
     true,
     1,
     {},
     TUpdateOutcome::InstallNeedsUser,
     1,
     false,
     true},
    {"download_refused", "2", false, 1, {}, TUpdateOutcome::UpdateFailed, 2, false},
    {"second_automatic_start",
     "2",
     true,
     1,
     {E::ExpectWaiting, E::SecondAuto, E::EndHost},
     TUpdateOutcome::Updated,
     2,
     true},
    // The next start begins again, and completes.
    {"killed_while_waiting",
     "2",
     true,
     1,
     {E::ExpectWaiting, E::KillUpdater, E::StartAutoAgain, E::ExpectWaiting, E::EndHost},
     TUpdateOutcome::Updated,
     4,
     true},
};

INSTANTIATE_TEST_SUITE_P(Rows, AutomaticUpdate, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<TAutoRow> &info) {
                           return info.param.Name;
                         });

} // namespace
