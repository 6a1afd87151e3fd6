#include "framework/Thread.h"

#include "framework/UiThread.h"

#include <thread>

void TThread::Start() {
  std::thread([this] { Run(); }).detach();
}

void TThread::Run() {
  Execute();
  UiThread().Call([this] { DoTerminate(); });
  delete this;
}

// A completion handler that throws is reported like any event handler that throws; the worker
// has nothing left to do with it.
void TThread::DoTerminate() {
  try {
    OnTerminate(this);
  } catch (...) {
    UiThread().HandleException(std::current_exception());
  }
}

void TThread::Synchronize(const std::function<void()> &method) {
  std::exception_ptr error;
  UiThread().Call([&] {
    try {
      method();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error)
    std::rethrow_exception(error);
}
