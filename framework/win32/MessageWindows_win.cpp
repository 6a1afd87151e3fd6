#include "framework/win32/MessageWindows_win.h"

#include <windows.h>

// Task-modal boxes without an owner disable every window of the thread while they are up,
// open centred on the screen, and give the activation back afterwards.

void ShowErrorMessage(const std::string &text) {
  MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int ShowMessageBox(const std::string &text, const std::string &caption, unsigned buttons) {
  return MessageBoxA(nullptr, text.c_str(), caption.c_str(), buttons | MB_TASKMODAL);
}
