#pragma once

#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <string>

/// Makes an updater the only one for a program while it lives: a mutex of the session named
/// after the program file (its full path in any letter case where it cannot be opened), and a
/// mark on the updater's window by which a second updater for the same program finds it.
class TProgramClaim {
public:
  explicit TProgramClaim(const std::string &program);
  ~TProgramClaim();
  TProgramClaim(const TProgramClaim &) = delete;
  TProgramClaim &operator=(const TProgramClaim &) = delete;

  /// Takes the claim for window; false when another updater holds it.
  bool Take(HWND window);
  /// Brings the window of the updater that holds the claim to the front, where it is visible.
  void ShowHolder() const;

private:
  std::wstring fName; // of the mark; the mutex's is the same in the session's namespace
  TKernelHandle fMutex;
  HWND fMarked = nullptr;
};
