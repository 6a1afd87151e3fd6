// Runs a program and writes its exit code, as Windows reports it, into a file before ending:
//
//   exit_code_relay.exe CODE-FILE PROGRAM [ARGS...]
//
// Under Wine the Unix exit status of a Windows program is no sure account of how it ended: Wine
// closes a process's connection to its server before the Unix side of the process has left, and
// the server kills a process that has not left within about half a second of that. A program
// whose last moments a loaded machine stretches ends with SIGKILL, whatever code it ended with.
// The server records that code first; this program asks for it and writes it down, so that a
// script can read it whatever becomes of the processes' Unix ends.
#include "drivers/WholeFile.h"
#include "framework/CommandLine.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

int main() {
  const std::string commandLine = Utf8FromWide(GetCommandLineW());
  const std::vector<std::string> items = SplitCommandLine(commandLine);
  if (items.size() < 3) {
    std::fprintf(stderr, "usage: exit_code_relay CODE-FILE PROGRAM [ARGS...]\n");
    return 2;
  }
  std::wstring programLine = WideFromUtf8(CommandLineAfter(commandLine, 2));
  // The program writes where this one writes: ctest reads both through the same pipe or file.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, programLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &started)) {
    std::fprintf(stderr, "exit_code_relay: cannot start %s (error %lu)\n", items[2].c_str(),
                 GetLastError());
    return 2;
  }
  const TKernelHandle program(started.hProcess), programThread(started.hThread);
  DWORD exitCode = 0;
  if (WaitForSingleObject(program.Get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(program.Get(), &exitCode)) {
    std::fprintf(stderr, "exit_code_relay: the end of %s cannot be told\n", items[2].c_str());
    return 2;
  }
  try {
    WriteWholeFile(items[1], std::to_string(exitCode) + "\n");
  } catch (const std::runtime_error &failure) {
    std::fprintf(stderr, "exit_code_relay: %s\n", failure.what());
    return 2;
  }
  return static_cast<int>(exitCode);
}
