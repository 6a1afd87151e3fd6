#include "framework/win32/MessageWait_win.h"

#include "framework/UiThread.h"
#include "framework/win32/Application_win.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

namespace {

// One wait for the first of handles, at most as many as can be waited for beside the message
// queue, or for a message, or for milliseconds; the messages are dispatched. Which handle was
// signalled, handles.size() for anything else, or nothing once the application is to end.
std::optional<size_t> WaitOnce(const std::vector<HANDLE> &handles, DWORD milliseconds) {
  const DWORD count =
      static_cast<DWORD>(std::min<size_t>(handles.size(), MAXIMUM_WAIT_OBJECTS - 1));
  const DWORD woken = MsgWaitForMultipleObjectsEx(count, handles.data(), milliseconds, QS_ALLINPUT,
                                                  MWMO_INPUTAVAILABLE);
  if (woken == WAIT_FAILED)
    throw std::runtime_error("The wait for a process failed.");
  if (woken == WAIT_OBJECT_0 + count)
    UiThread().ProcessMessages();
  if (Application().Terminated())
    return std::nullopt;
  return woken < WAIT_OBJECT_0 + count ? woken - WAIT_OBJECT_0 : handles.size();
}

} // namespace

bool ServeMessagesUntilSignalled(std::vector<HANDLE> handles) {
  while (!handles.empty()) {
    const std::optional<size_t> signalled = WaitOnce(handles, INFINITE);
    if (!signalled)
      return false;
    if (*signalled < handles.size())
      handles.erase(handles.begin() + static_cast<ptrdiff_t>(*signalled));
  }
  return !Application().Terminated();
}

bool ServeMessagesFor(DWORD milliseconds) {
  const ULONGLONG deadline = GetTickCount64() + milliseconds;
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64())
    if (!WaitOnce({}, static_cast<DWORD>(deadline - now)))
      return false;
  return !Application().Terminated();
}
