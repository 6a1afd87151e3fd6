#include "bench/download/TimedUiThread_win.h"

#include "bench/download/Measures_win.h"

TTimedUiThread::TTimedUiThread(TUiThread &inner) : fInner(inner) { SetUiThread(*this); }

void TTimedUiThread::Call(const std::function<void()> &call) {
  const TClock::time_point called = TClock::now();
  double handler = 0;
  fInner.Call([&] {
    const TClock::time_point started = TClock::now();
    call();
    handler = MillisecondsBetween(started, TClock::now());
  });
  fWaitMicros += static_cast<long long>(1000 * MillisecondsBetween(called, TClock::now()));
  fHandlerMicros += static_cast<long long>(1000 * handler);
  ++fCalls;
}

const TTimedUiThread &TimedUiThread() {
  static const TTimedUiThread timed(UiThread());
  return timed;
}
