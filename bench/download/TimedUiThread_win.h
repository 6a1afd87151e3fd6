#pragma once

#include "framework/UiThread.h"

#include <atomic>

/// Stands between the workers and the user-interface thread and times every call: how long the
/// worker waits in all (the hand-over both ways and the handler) and how long the handler runs.
class TTimedUiThread final : public TUiThread {
public:
  explicit TTimedUiThread(TUiThread &inner);

  void Call(const std::function<void()> &call) override;
  void ProcessMessages() override { fInner.ProcessMessages(); }
  void WaitForMessages() override { fInner.WaitForMessages(); }
  void HandleException(std::exception_ptr error) override { fInner.HandleException(error); }

  /// The worker's wait per call and the handler's part of it, in microseconds.
  double WaitPerCall() const { return fCalls ? static_cast<double>(fWaitMicros) / fCalls : 0; }
  double HandlerPerCall() const {
    return fCalls ? static_cast<double>(fHandlerMicros) / fCalls : 0;
  }

private:
  TUiThread &fInner;
  std::atomic<long long> fWaitMicros{0}, fHandlerMicros{0}, fCalls{0};
};

/// The timing stand-in before the user-interface thread that UiThread() names at the first call,
/// which then takes that thread's place for UiThread(). Made once per process and never
/// destroyed, like the thread it stands before: a worker may still be on its way out.
const TTimedUiThread &TimedUiThread();
