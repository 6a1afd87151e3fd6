#include "framework/win32/MessageWindows_win.h"

#include "framework/win32/WideText_win.h"

#include <windows.h>

namespace {

// A task-modal box without an owner disables every window of the thread while it is up and
// opens centred on the screen. Windows gives the activation back afterwards; Wine leaves the
// window that was active inactive, without the keyboard, so it is activated again here.
int TaskModalBox(const std::string &text, const std::string &caption, UINT type) {
  const HWND active = GetActiveWindow();
  const int result = MessageBoxW(nullptr, WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(),
                                 type | MB_TASKMODAL);
  if (active && IsWindow(active))
    SetActiveWindow(active);
  return result;
}

} // namespace

void ShowErrorMessage(const std::string &text) {
  TaskModalBox(text, "Error", MB_OK | MB_ICONERROR);
}

int ShowMessageBox(const std::string &text, const std::string &caption, unsigned type) {
  return TaskModalBox(text, caption, type);
}
