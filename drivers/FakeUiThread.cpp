#include "drivers/FakeUiThread.h"

#include <chrono>
#include <utility>

namespace {
constexpr auto kPatience = std::chrono::seconds(30);
}

TFakeUiThread::TFakeUiThread() { SetUiThread(*this); }

// The worker waits on its own future, so it touches nothing of this object once it is served.
void TFakeUiThread::Call(const std::function<void()> &call) {
  std::future<void> served;
  {
    // Notified under the lock: the test may destroy this object as soon as it has served the
    // call, and must then see the notification as finished.
    std::lock_guard<std::mutex> lock(fMutex);
    fQueue.push_back({&call, {}});
    served = fQueue.back().Served.get_future();
    fQueued.notify_all();
  }
  served.get();
}

// One call at a time, so that a call which pumps in turn serves the calls queued after it.
void TFakeUiThread::ProcessMessages() {
  while (ServeOne()) {
  }
}

void TFakeUiThread::WaitForMessages() {
  std::unique_lock<std::mutex> lock(fMutex);
  fQueued.wait(lock, [this] { return !fQueue.empty(); });
}

bool TFakeUiThread::ServeOne() {
  TPendingCall pending;
  {
    std::lock_guard<std::mutex> lock(fMutex);
    if (fQueue.empty())
      return false;
    pending = std::move(fQueue.front());
    fQueue.pop_front();
  }
  ++fCallsServed;
  try {
    (*pending.Call)();
    pending.Served.set_value();
  } catch (...) {
    pending.Served.set_exception(std::current_exception());
  }
  return true;
}

void TFakeUiThread::HandleException(std::exception_ptr error) { fExceptions.push_back(error); }

bool TFakeUiThread::PumpUntil(const std::function<bool()> &done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    ProcessMessages();
    if (done())
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    // A short wait only: what done() looks at may change without a call arriving.
    std::unique_lock<std::mutex> lock(fMutex);
    fQueued.wait_for(lock, std::chrono::milliseconds(1), [this] { return !fQueue.empty(); });
  }
}

bool TFakeUiThread::WaitUntilCallPending() {
  std::unique_lock<std::mutex> lock(fMutex);
  return fQueued.wait_for(lock, kPatience, [this] { return !fQueue.empty(); });
}
