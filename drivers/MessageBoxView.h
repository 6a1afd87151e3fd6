#pragma once

#include <windows.h>

#include <string>
#include <vector>

/// What a message box shows a user, read from its windows.
struct TMessageBoxView {
  std::string Caption;
  /// The message: the text of its static text control(s).
  std::string Text;
  /// The captions of its push buttons as shown, without mnemonic marks, front to back.
  std::vector<std::string> Buttons;
  /// Whether an icon stands beside the text.
  bool HasIcon = false;
};

/// True for a visible standard dialog box window ("#32770"), the class of
/// every message box.
bool IsVisibleDialogBox(HWND window);
/// A visible message box of the process captioned caption, or with any caption when caption is
/// empty; nullptr when there is none. Sends another process's windows nothing, reading only what
/// the system keeps of them: cheap enough to be asked every millisecond, and answered while that
/// process is busy.
HWND VisibleMessageBox(DWORD processId, const std::string &caption);
TMessageBoxView ReadMessageBox(HWND box);
/// Presses the box's button with that caption as shown as a click would; false when it has
/// none.
bool ClickButton(HWND box, const std::string &caption);
