#include "framework/win32/MessageWindows_win.h"

#include <windows.h>

// A task-modal box without an owner disables every window of the thread while it is up, opens
// centred on the screen, and gives the activation back afterwards.
void ShowErrorMessage(const std::string &text) {
  MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int ShowMessageBox(const std::string &text, const std::string &caption, unsigned type) {
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type | MB_TASKMODAL);
}
