#include "httpget/InterruptibleWait.h"

bool TInterruptibleWait::Wait(std::chrono::milliseconds duration) {
  std::unique_lock<std::mutex> lock(fMutex);
  return !fInterrupted.wait_for(lock, duration, [this] { return fWasInterrupted; });
}

void TInterruptibleWait::Interrupt() {
  {
    std::lock_guard<std::mutex> lock(fMutex);
    fWasInterrupted = true;
  }
  fInterrupted.notify_all();
}
