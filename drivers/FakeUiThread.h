#pragma once

#include "framework/UiThread.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <vector>

/// Lets a plain thread, a test's or a benchmark's main thread, play the user-interface thread: a
/// worker's Call waits in a queue until that thread serves it. Installs itself as the program's
/// user-interface thread.
class TFakeUiThread : public TUiThread {
public:
  TFakeUiThread();

  void Call(const std::function<void()> &call) override;
  void ProcessMessages() override;
  void WaitForMessages() override;
  void HandleException(std::exception_ptr error) override;

  /// Serves calls until done() holds, checking it after every pass; false when it still does
  /// not hold after 30 s.
  bool PumpUntil(const std::function<bool()> &done);
  /// Waits, without serving anything, until a worker waits in Call; false after 30 s.
  bool WaitUntilCallPending();

  /// How many calls have been served so far.
  int CallsServed() const { return fCallsServed; }
  /// The exceptions handed to HandleException, in order.
  const std::vector<std::exception_ptr> &Exceptions() const { return fExceptions; }

private:
  struct TPendingCall {
    const std::function<void()> *Call = nullptr;
    std::promise<void> Served;
  };

  bool ServeOne();

  std::mutex fMutex;
  std::condition_variable fQueued;
  std::deque<TPendingCall> fQueue;
  int fCallsServed = 0;
  std::vector<std::exception_ptr> fExceptions;
};
