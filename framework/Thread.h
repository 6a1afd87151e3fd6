#pragma once

#include "framework/Event.h"

#include <atomic>
#include <functional>
#include <memory>
#include <system_error>

/// Base of a worker: created suspended, started once, and deleted by itself after its body has
/// ended and its completion callback OnTerminate has run on the user-interface thread. Its
/// creator owns it until Start has returned; never delete it after that.
class TThread : public TObject {
public:
  TThread(const TThread &) = delete;
  TThread &operator=(const TThread &) = delete;

  /// Runs on the user-interface thread after Execute has returned, while the worker waits.
  /// Set it before Start; only the user-interface thread may change it afterwards.
  TNotifyEvent OnTerminate;

  /// Starts the thread body. Call once, after OnTerminate has been attached. Throws
  /// std::system_error, and starts nothing, when no thread can be had.
  void Start();
  /// Asks the body to stop at its next check. Any thread.
  void Terminate() { fTerminated = true; }
  bool Terminated() const { return fTerminated; }

protected:
  TThread() = default;
  ~TThread() override = default;

  /// The thread body; it must not let an exception escape.
  virtual void Execute() = 0;
  /// Runs method on the user-interface thread while this thread waits; an exception raised by
  /// method is raised again here.
  void Synchronize(const std::function<void()> &method);
  /// The stop request itself, for a body that hands it on to code that checks it.
  const std::atomic<bool> &TerminatedFlag() const { return fTerminated; }

private:
  void Run();
  void DoTerminate();

  std::atomic<bool> fTerminated{false};
};

/// Starts worker, which from then on belongs to itself; nullptr, with worker deleted and nothing
/// started, when no thread can be had.
template <class TWorker> TWorker *StartSelfDeleting(std::unique_ptr<TWorker> worker) {
  try {
    worker->Start();
  } catch (const std::system_error &) {
    return nullptr;
  }
  return worker.release();
}
