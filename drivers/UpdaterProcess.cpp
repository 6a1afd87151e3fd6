#include "drivers/UpdaterProcess.h"

#include "drivers/WaitBound.h"
#include "framework/win32/WideText_win.h"

#include <stdexcept>

// Started suspended, so that it is in the job before it can start anything itself.
TUpdaterProcess::TUpdaterProcess(const std::string &program, const std::string &arguments)
    : fJob(CreateJobObjectW(nullptr, nullptr)),
      fJobEvents(CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1)) {
  JOBOBJECT_ASSOCIATE_COMPLETION_PORT events{fJob.Get(), fJobEvents.Get()};
  if (!fJob.Get() || !fJobEvents.Get() ||
      !SetInformationJobObject(fJob.Get(), JobObjectAssociateCompletionPortInformation, &events,
                               sizeof events))
    throw std::runtime_error("cannot make a job for " + program);
  const std::string commandLine =
      "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  std::wstring wideCommandLine = WideFromUtf8(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  // CreateProcessW may write into the command line, so it gets a buffer of its own.
  if (!CreateProcessW(WideFromUtf8(program).c_str(), wideCommandLine.data(), nullptr, nullptr,
                      FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &started))
    throw std::runtime_error("cannot start " + commandLine + " (error " +
                             std::to_string(GetLastError()) + ")");
  fProcess = TKernelHandle(started.hProcess);
  fId = started.dwProcessId;
  const bool joined = AssignProcessToJobObject(fJob.Get(), started.hProcess);
  ResumeThread(started.hThread);
  CloseHandle(started.hThread);
  if (!joined)
    throw std::runtime_error("cannot put " + commandLine + " in a job");
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

size_t TUpdaterProcess::ProcessesStarted() {
  DWORD event = 0;
  ULONG_PTR key = 0;
  LPOVERLAPPED processId = nullptr;
  while (GetQueuedCompletionStatus(fJobEvents.Get(), &event, &key, &processId, 0))
    if (event == JOB_OBJECT_MSG_NEW_PROCESS)
      ++fProcessesStarted;
  return fProcessesStarted;
}
