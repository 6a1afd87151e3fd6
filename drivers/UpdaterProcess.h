#pragma once

#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <optional>
#include <string>

/// A program started with a real command line, as a host would start the updater, in a job of
/// its own that the processes it starts join too. A program still running when this goes is
/// terminated.
class TUpdaterProcess {
public:
  /// Starts program with the command line `"program" arguments`, both UTF-8 and in any script;
  /// throws std::runtime_error when it cannot be started.
  TUpdaterProcess(const std::string &program, const std::string &arguments);
  ~TUpdaterProcess();
  TUpdaterProcess(const TUpdaterProcess &) = delete;
  TUpdaterProcess &operator=(const TUpdaterProcess &) = delete;

  DWORD Id() const { return fId; }
  HANDLE Handle() const { return fProcess.Get(); }
  bool Running() const;
  /// Waits, within a generous bound, for the program to end; its exit code, or nothing when it
  /// is still running.
  std::optional<DWORD> WaitForExitCode() const;
  /// Ends the program at once, as the task manager would.
  void Terminate();
  /// How many processes have started in the job so far, the program itself included.
  size_t ProcessesStarted();

private:
  TKernelHandle fJob;
  TKernelHandle fJobEvents; // the completion port where the job reports each new process
  size_t fProcessesStarted = 0;
  TKernelHandle fProcess;
  DWORD fId = 0;
};
