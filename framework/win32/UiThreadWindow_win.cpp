#include "framework/win32/UiThreadWindow_win.h"
#include "framework/win32/WideText_win.h"

#include "framework/win32/WindowClass_win.h"

#include <stdexcept>

namespace {

constexpr UINT kCallMessage = WM_APP + 1;

} // namespace

TUiThreadWindow::TUiThreadWindow(TExceptionHandler onException) : fOnException(onException) {
  const std::wstring windowClass =
      WideFromUtf8(RegisteredWindowClass({"UpdaterUiThreadCalls", WindowProc}));
  fWindow = CreateWindowExW(0, windowClass.c_str(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (!fWindow)
    throw std::runtime_error("The window for calls from workers cannot be created");
}

// SendMessage from another thread blocks the worker until the message has been handled here,
// which happens whenever this thread takes messages.
void TUiThreadWindow::Call(const std::function<void()> &call) {
  SendMessageW(fWindow, kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

// A request to quit taken here is posted again, so that it still ends the main loop.
void TUiThreadWindow::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      fQuitWaits = true;
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  fQuitWaits = false;
}

// A request to quit that waits for the main loop would end every wait at once: until the main
// loop has taken it, only the calls of workers are waited for. The wait serves nothing itself, so
// that the caller sees whatever a call changes before it waits again.
void TUiThreadWindow::WaitForMessages() {
  MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, fQuitWaits ? QS_SENDMESSAGE : QS_ALLINPUT,
                              MWMO_INPUTAVAILABLE);
}

void TUiThreadWindow::HandleException(std::exception_ptr error) { fOnException(error); }

LRESULT CALLBACK TUiThreadWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message != kCallMessage)
    return DefWindowProcW(window, message, wParam, lParam);
  // The worker's call catches what it raises itself; nothing may unwind through user32.
  (*reinterpret_cast<const std::function<void()> *>(lParam))();
  return 0;
}
