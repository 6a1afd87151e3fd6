#pragma once

#include <string>

/// The error message dialog: caption "Error", the stop icon, the text, and one "OK" button
/// that Enter and Esc both press. Modal for all of the program's windows.
void ShowErrorMessage(const std::string &text);
/// The plain message box: text and caption, no icon, the buttons of type (MB_OK, MB_YESNO,
/// MB_RETRYCANCEL), the first of them the default. Modal for all of the program's windows;
/// returns the button chosen (IDYES, ...).
int ShowMessageBox(const std::string &text, const std::string &caption, unsigned type);
