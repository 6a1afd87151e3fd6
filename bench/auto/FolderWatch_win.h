#pragma once

#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

/// Watches a folder for files created, deleted, renamed or written, with ReadDirectoryChangesW:
/// a wait on it wakes at each change and at nothing else.
class TFolderWatch {
public:
  /// Starts watching folder (UTF-8); changes from now on are noticed, even those that come before
  /// the first wait. Throws std::runtime_error when the folder cannot be watched.
  explicit TFolderWatch(const std::string &folder);
  ~TFolderWatch();
  TFolderWatch(const TFolderWatch &) = delete;
  TFolderWatch &operator=(const TFolderWatch &) = delete;

  /// Checks condition now and after each change in the folder until it holds, for at most bound
  /// milliseconds; whether it held.
  bool WaitUntil(const std::function<bool()> &condition, DWORD bound);

private:
  void Watch();

  std::string fFolder;
  TFileHandle fHandle;
  TKernelHandle fChanged;
  OVERLAPPED fOverlapped{};
  std::vector<DWORD> fNotices; // DWORD-aligned, as the notices must be
};
