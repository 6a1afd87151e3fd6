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
TMessageBoxView ReadMessageBox(HWND box);
/// Presses the box's button with that caption as shown as a click would; false when it has
/// none.
bool ClickButton(HWND box, const std::string &caption);
