#pragma once

#include <exception>
#include <functional>

/// What workers and components may ask of the user-interface thread. The program has one,
/// set at start-up before any worker runs.
class TUiThread {
public:
  virtual ~TUiThread() = default;

  /// Runs call on the user-interface thread and returns when it has returned. Worker threads
  /// only; the call is served wherever that thread takes messages, in nested loops too.
  virtual void Call(const std::function<void()> &call) = 0;
  /// Takes every message waiting in the queue and dispatches it. User-interface thread only.
  virtual void ProcessMessages() = 0;
  /// Returns once a call or a message waits to be taken, using no processor time until then; at
  /// once when one waits already. User-interface thread only.
  virtual void WaitForMessages() = 0;
  /// Reports an exception that no event handler caught. User-interface thread only.
  virtual void HandleException(std::exception_ptr error) = 0;
};

/// The program's user-interface thread.
TUiThread &UiThread();
/// Installs ui as the program's user-interface thread; ui must outlive every worker.
void SetUiThread(TUiThread &ui);
