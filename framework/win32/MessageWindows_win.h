#pragma once

#include <string>

/// The error message dialog: caption "Error", the stop icon, the text, and one "OK" button
/// that Enter and Esc both press. Modal for all of the program's windows.
void ShowErrorMessage(const std::string &text);
