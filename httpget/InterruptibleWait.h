#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

/// A pause of a worker that another thread can end at once, and for good: every wait after an
/// interruption returns at once too.
class TInterruptibleWait {
public:
  /// Waits for duration; false when it was interrupted, before or during the wait. Worker only.
  bool Wait(std::chrono::milliseconds duration);
  /// Ends the wait under way and every later one. Any thread.
  void Interrupt();

private:
  std::mutex fMutex;
  std::condition_variable fInterrupted;
  bool fWasInterrupted = false;
};
