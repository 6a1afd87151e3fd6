#include "drivers/WineDesktop.h"

#include "drivers/TemporaryFolder.h"
#include "drivers/WholeFile.h"
#include "framework/CommandLine.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

const char kExitCodeFileFlag[] = "--e2e-exit-code-file=";
const char kDesktopSize[] = "1024x768";

} // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string ExitCodeFileArgument() {
  constexpr size_t flagLength = sizeof kExitCodeFileFlag - 1;
  for (const std::string &argument : SplitCommandLine(Utf8FromWide(GetCommandLineW())))
    if (argument.compare(0, flagLength, kExitCodeFileFlag) == 0)
      return argument.substr(flagLength);
  return "";
}

int RunInVirtualDesktop() {
  const std::string self = ModuleFileName(nullptr);
  const std::string temporaryFolder = TemporaryFolderPath();
  if (self.empty() || temporaryFolder.empty()) {
    std::fprintf(stderr, "cannot prepare the run in a virtual desktop\n");
    return 1;
  }
  // The process id is this run's alone while it lives; a file of an earlier run is no answer.
  const std::string exitCodeFile =
      temporaryFolder + "e2e-" + std::to_string(GetCurrentProcessId()) + ".exit-code";
  const std::wstring wideExitCodeFile = WideFromUtf8(exitCodeFile);
  DeleteFileW(wideExitCodeFile.c_str());
  const std::string commandLine =
      "explorer.exe /desktop=e2e-" + std::to_string(GetCurrentProcessId()) + "," + kDesktopSize +
      " \"" + self + "\" " + CommandLineAfter(Utf8FromWide(GetCommandLineW()), 1) + " \"" +
      kExitCodeFileFlag + exitCodeFile + "\"";
  std::wstring wideCommandLine = WideFromUtf8(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, wideCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
    return 1;
  }
  CloseHandle(started.hThread);
  const TKernelHandle explorer(started.hProcess);
  // The desktop closes once the last program in it has ended, the tests and their updaters.
  WaitForSingleObject(explorer.Get(), INFINITE);

  int exitCode = 1;
  try {
    exitCode = std::stoi(ReadWholeFile(exitCodeFile));
  } catch (const std::exception &) {
    std::fprintf(stderr, "the tests in the virtual desktop recorded no exit code\n");
    exitCode = 1;
  }
  DeleteFileW(wideExitCodeFile.c_str());
  return exitCode;
}

void RecordExitCode(const std::string &exitCodeFile, int exitCode) {
  try {
    WriteWholeFile(exitCodeFile, std::to_string(exitCode) + "\n");
  } catch (const std::runtime_error &failure) {
    std::fprintf(stderr, "%s\n", failure.what());
  }
}

int RunWithDesktop(const char *name, const std::function<bool(const TArguments &)> &inDesktop,
                   const std::function<int(const TArguments &)> &run) {
  const std::string exitCodeFile = ExitCodeFileArgument();
  TArguments args = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
  args.erase(args.begin());
  if (exitCodeFile.empty() && inDesktop(args) && RunningUnderWine())
    return RunInVirtualDesktop();
  if (!exitCodeFile.empty())
    args.pop_back(); // the desktop's run names its exit code file last
  int exitCode = 1;
  try {
    exitCode = run(args);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "%s: %s\n", name, error.what());
  }
  if (!exitCodeFile.empty())
    RecordExitCode(exitCodeFile, exitCode);
  return exitCode;
}
