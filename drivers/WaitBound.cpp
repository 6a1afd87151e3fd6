#include "drivers/WaitBound.h"

bool WaitUntil(const std::function<bool()> &condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kWaitBoundMilliseconds)
      return condition();
    Sleep(50);
  }
  return true;
}
