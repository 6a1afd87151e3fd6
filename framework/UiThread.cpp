#include "framework/UiThread.h"

#include <cassert>

namespace {
TUiThread *theUiThread = nullptr;
}

TUiThread &UiThread() {
  assert(theUiThread && "SetUiThread must run at start-up");
  return *theUiThread;
}

void SetUiThread(TUiThread &ui) { theUiThread = &ui; }
