#include "drivers/WaitBound.h"

bool WaitUntil(const std::function<bool()> &condition, DWORD bound) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > bound)
      return condition();
    Sleep(50);
  }
  return true;
}
