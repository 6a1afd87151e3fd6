#include "drivers/UpdaterProcess.h"

#include "drivers/WaitBound.h"

#include <stdexcept>

TUpdaterProcess::TUpdaterProcess(const std::string &program, const std::string &arguments) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // CreateProcessA may write into the command line, so it gets a buffer of its own.
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started))
    throw std::runtime_error("cannot start " + commandLine + " (error " +
                             std::to_string(GetLastError()) + ")");
  CloseHandle(started.hThread);
  fProcess = TKernelHandle(started.hProcess);
  fId = started.dwProcessId;
}

TUpdaterProcess::~TUpdaterProcess() {
  if (Running())
    Terminate();
}

bool TUpdaterProcess::Running() const {
  return WaitForSingleObject(fProcess.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> TUpdaterProcess::WaitForExitCode() const {
  if (WaitForSingleObject(fProcess.Get(), kWaitBoundMilliseconds) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD exitCode = 0;
  GetExitCodeProcess(fProcess.Get(), &exitCode);
  return exitCode;
}

void TUpdaterProcess::Terminate() {
  TerminateProcess(fProcess.Get(), 1);
  WaitForSingleObject(fProcess.Get(), kWaitBoundMilliseconds);
}
