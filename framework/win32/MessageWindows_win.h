#pragma once

#include <string>

/// The error message dialog: caption "Error", the stop icon, the text, and one "OK" button
/// that Enter and Esc both press. Modal for all of the program's windows.
void ShowErrorMessage(const std::string &text);

/// The plain message box: text and caption, no icon, the buttons given (MB_OK, MB_YESNO);
/// all of the program's windows are disabled while it is up. Returns the button pressed.
int ShowMessageBox(const std::string &text, const std::string &caption, unsigned buttons);
