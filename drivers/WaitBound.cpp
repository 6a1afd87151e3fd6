#include "drivers/WaitBound.h"

bool WaitUntil(const std::function<bool()> &condition, DWORD bound, DWORD pause) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > bound)
      return condition();
    Sleep(pause);
  }
  return true;
}
