#include "framework/win32/UiThreadWindow_win.h"

#include "framework/win32/WindowClass_win.h"

#include <stdexcept>

namespace {

constexpr UINT kCallMessage = WM_APP + 1;

} // namespace

TUiThreadWindow::TUiThreadWindow(TExceptionHandler onException) : fOnException(onException) {
  fWindow = CreateWindowExA(0, RegisteredWindowClass({"UpdaterUiThreadCalls", WindowProc}), "", 0,
                            0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!fWindow)
    throw std::runtime_error("The window for calls from workers cannot be created");
}

// SendMessage from another thread blocks the worker until the message has been handled here,
// which happens whenever this thread takes messages.
void TUiThreadWindow::Call(const std::function<void()> &call) {
  SendMessageA(fWindow, kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
}

// A request to quit taken here is posted again, so that it still ends the main loop.
void TUiThreadWindow::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void TUiThreadWindow::HandleException(std::exception_ptr error) { fOnException(error); }

LRESULT CALLBACK TUiThreadWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message != kCallMessage)
    return DefWindowProcA(window, message, wParam, lParam);
  // The worker's call catches what it raises itself; nothing may unwind through user32.
  (*reinterpret_cast<const std::function<void()> *>(lParam))();
  return 0;
}
