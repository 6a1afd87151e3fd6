#pragma once

#include "framework/UiThread.h"

#include <windows.h>

#include <functional>

/// The user-interface thread as seen from workers: calls arrive as messages sent to a hidden
/// message-only window of that thread, so they are served by every loop that takes messages,
/// modal loops included. Create it on the user-interface thread, once, and keep it until the
/// process ends: self-deleting workers may call it until then.
class TUiThreadWindow final : public TUiThread {
public:
  using TExceptionHandler = void (*)(std::exception_ptr error);

  /// onException reports an exception that no event handler caught.
  explicit TUiThreadWindow(TExceptionHandler onException);
  TUiThreadWindow(const TUiThreadWindow &) = delete;
  TUiThreadWindow &operator=(const TUiThreadWindow &) = delete;

  void Call(const std::function<void()> &call) override;
  void ProcessMessages() override;
  void WaitForMessages() override;
  void HandleException(std::exception_ptr error) override;

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND fWindow;
  TExceptionHandler fOnException;
  bool fQuitWaits = false; // ProcessMessages put a request to quit back for the main loop
};
