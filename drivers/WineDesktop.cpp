#include "drivers/WineDesktop.h"

#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

const char kExitCodeFileFlag[] = "--e2e-exit-code-file=";
const char kDesktopSize[] = "1024x768";

// The arguments of this run as the command line holds them, without the program's own name.
std::string OwnArguments() {
  const char *rest = GetCommandLineA();
  if (*rest == '"') {
    rest = std::strchr(rest + 1, '"');
    rest = rest ? rest + 1 : "";
  } else {
    while (*rest && *rest != ' ' && *rest != '\t')
      ++rest;
  }
  return rest;
}

} // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

std::string ExitCodeFileArgument(int argc, char **argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], kExitCodeFileFlag, sizeof kExitCodeFileFlag - 1) == 0)
      return argv[i] + sizeof kExitCodeFileFlag - 1;
  return "";
}

int RunInVirtualDesktop() {
  char self[MAX_PATH];
  char temp[MAX_PATH];
  char exitCodeFile[MAX_PATH];
  if (!GetModuleFileNameA(nullptr, self, MAX_PATH) || !GetTempPathA(MAX_PATH, temp) ||
      !GetTempFileNameA(temp, "e2e", 0, exitCodeFile)) {
    std::fprintf(stderr, "cannot prepare the run in a virtual desktop\n");
    return 1;
  }
  std::string commandLine = "explorer.exe /desktop=e2e-" + std::to_string(GetCurrentProcessId()) +
                            "," + kDesktopSize + " \"" + self + "\"" + OwnArguments() + " \"" +
                            kExitCodeFileFlag + exitCodeFile + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", commandLine.c_str(), GetLastError());
    DeleteFileA(exitCodeFile);
    return 1;
  }
  CloseHandle(started.hThread);
  const TKernelHandle explorer(started.hProcess);
  // The desktop closes once the last program in it has ended, the tests and their updaters.
  WaitForSingleObject(explorer.Get(), INFINITE);

  int exitCode = 1;
  std::ifstream recorded(exitCodeFile);
  if (!(recorded >> exitCode)) {
    std::fprintf(stderr, "the tests in the virtual desktop recorded no exit code\n");
    exitCode = 1;
  }
  recorded.close();
  DeleteFileA(exitCodeFile);
  return exitCode;
}

void RecordExitCode(const std::string &exitCodeFile, int exitCode) {
  std::ofstream(exitCodeFile) << exitCode << '\n';
}
