// One asked update, started as a user starts it in a Wine virtual desktop, watched from outside
// that desktop until the updater ends; what it showed and how it ended go to RECORD-FILE as
// lines "key=value".
//
//   soak_run.exe FOLDER RECORD-FILE
//
// FOLDER holds updater.exe, updater.ini and host.exe. `explorer.exe /desktop=soak,1024x768
// updater.exe 1 "FOLDER\host.exe"` starts the updater, so that, as for a user, the desktop holds
// explorer and the updater and nothing else: this program stays on its own desktop, where it
// counts for nothing, and only its watching thread looks into the updater's. The offer is
// answered Yes, "Replace?" No; any other box is recorded and closed. The record holds the exit
// code as Windows reports it, every box shown (caption and text), the size of host~.tmp while the
// updater ran and after it ended, and the times. An updater still running after kRunBound is
// ended, and the record says so: only then does the run end by the driver's hand.
// tools/soak-download runs it many times.
#include "drivers/MessageBoxView.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "framework/CommandLine.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>

namespace {

constexpr DWORD kLookEveryMilliseconds = 20; // waits on the process in between
constexpr auto kRunBound = std::chrono::minutes(5);
const wchar_t kDesktop[] = L"soak";
const char kOffer[] = "Yes! An update is available, would you like to download it?";

using TClock = std::chrono::steady_clock;

std::optional<ULONGLONG> FileSize(const std::string &path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return ULONGLONG{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

std::string SizeText(const std::optional<ULONGLONG> &size) {
  return size ? std::to_string(*size) : "none";
}

std::string OneLine(std::string text) {
  for (char &c : text)
    if (c == '\n' || c == '\r')
      c = ' ';
  return text;
}

// The id of the process named exeName that parent started; 0 when there is none yet.
DWORD ChildProcess(DWORD parent, const wchar_t *exeName) {
  const TKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry))
    if (entry.th32ParentProcessID == parent && lstrcmpiW(entry.szExeFile, exeName) == 0)
      return entry.th32ProcessID;
  return 0;
}

// Explorer, started with a command line that makes it host a virtual desktop and start the
// updater in it, and the updater it started.
class TDesktopRun {
public:
  TDesktopRun(const std::string &folder) {
    // This thread takes its own desktop before anything else, so that the process belongs to
    // the default desktop, not to the updater's.
    GetDesktopWindow();
    std::wstring commandLine = L"explorer.exe /desktop=" + std::wstring(kDesktop) +
                               L",1024x768 \"" + WideFromUtf8(folder) + L"\\updater.exe\" 1 \"" +
                               WideFromUtf8(folder) + L"\\host.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
      throw std::runtime_error("cannot start explorer (error " + std::to_string(GetLastError()) +
                               ")");
    CloseHandle(started.hThread);
    fExplorer = TKernelHandle(started.hProcess);
    DWORD updater = 0;
    WaitUntil([&] { return (updater = ChildProcess(started.dwProcessId, L"updater.exe")) != 0; });
    fUpdater = TKernelHandle(OpenProcess(
        SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, updater));
    if (!fUpdater.Get())
      throw std::runtime_error("the updater did not start in the virtual desktop");
    fUpdaterId = updater;
    // Its windows are found only from a thread of that desktop.
    fOwnDesktop = GetThreadDesktop(GetCurrentThreadId());
    HDESK desktop = nullptr;
    WaitUntil([&] { return (desktop = OpenDesktopW(kDesktop, 0, FALSE, GENERIC_ALL)) != nullptr; });
    if (!desktop || !SetThreadDesktop(desktop))
      throw std::runtime_error("cannot look into the virtual desktop");
  }

  DWORD UpdaterId() const { return fUpdaterId; }
  HANDLE Updater() const { return fUpdater.Get(); }
  void EndUpdater() {
    TerminateProcess(fUpdater.Get(), 1);
    WaitForSingleObject(fUpdater.Get(), kWaitBoundMilliseconds);
  }
  // Whether the desktop closed (explorer ended) within the bound after the updater.
  bool DesktopClosed() {
    SetThreadDesktop(fOwnDesktop);
    return WaitForSingleObject(fExplorer.Get(), kWaitBoundMilliseconds) == WAIT_OBJECT_0;
  }

private:
  TKernelHandle fExplorer, fUpdater;
  HDESK fOwnDesktop = nullptr;
  DWORD fUpdaterId = 0;
};

// Watches until the updater ends or the bound passes; the record's lines.
std::string Watch(const std::string &folder) {
  const TClock::time_point started = TClock::now();
  const auto seconds = [&] {
    return std::to_string(std::chrono::duration<double>(TClock::now() - started).count());
  };
  const std::string download = folder + "\\host~.tmp";
  TDesktopRun run(folder);
  std::string boxes;
  HWND answered = nullptr;
  bool timedOut = false;
  ULONGLONG lastSeenSize = 0;
  size_t windowsLastSeen = 0; // the updater's visible top-level windows at the last look
  while (WaitForSingleObject(run.Updater(), kLookEveryMilliseconds) == WAIT_TIMEOUT) {
    if (const std::optional<ULONGLONG> size = FileSize(download))
      lastSeenSize = *size;
    windowsLastSeen = 0;
    for (HWND window : TopLevelWindowsOf(run.UpdaterId()))
      windowsLastSeen += IsWindowVisible(window) ? 1 : 0;
    if (TClock::now() - started > kRunBound) {
      timedOut = true;
      run.EndUpdater();
      break;
    }
    const HWND box = VisibleMessageBox(run.UpdaterId(), "");
    if (!box || box == answered)
      continue;
    try {
      const TMessageBoxView view = ReadMessageBox(box);
      boxes += "box=" + seconds() + " " + view.Caption + ": " + OneLine(view.Text) + "\n";
      const bool offer = view.Caption == "Run Program?" && view.Text == kOffer;
      for (const char *button : {offer ? "Yes" : "No", "OK", "Cancel"})
        if (ClickButton(box, button))
          break;
      answered = box;
    } catch (const std::runtime_error &) {
      // The box went while it was read: the next look sees what came instead.
    }
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(run.Updater(), &exitCode);
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", exitCode);
  const std::string ended = seconds();
  const std::string afterEnd = SizeText(FileSize(download));
  return "exit_code=" + std::to_string(exitCode) + " (" + code + ")\n" +
         "ended_by_driver=" + (timedOut ? "yes" : "no") + "\n" + boxes +
         "windows_last_seen=" + std::to_string(windowsLastSeen) + "\n" +
         "download_last_seen=" + std::to_string(lastSeenSize) + "\n" +
         "download_after_end=" + afterEnd + "\n" + "seconds=" + ended + "\n" +
         "desktop_closed=" + (run.DesktopClosed() ? "yes" : "no") + "\n";
}

} // namespace

int main() {
  const std::vector<std::string> args = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: soak_run FOLDER RECORD-FILE\n");
    return 2;
  }
  try {
    WriteWholeFile(args[2], Watch(args[1]));
    return 0;
  } catch (const std::exception &failure) {
    std::fprintf(stderr, "soak_run: %s\n", failure.what());
    return 1;
  }
}
