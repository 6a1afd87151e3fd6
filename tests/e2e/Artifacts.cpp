#include "tests/e2e/Artifacts.h"

#include "drivers/ScreenCapture.h"
#include "drivers/WaitBound.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

namespace {

// Under Wine a window paints into a buffer of its own process, which is passed on to the X screen,
// where the picture is read, only when the painting thread next waits for messages (EndPaint
// passes it on only when that thread has not waited for a while). Wine keeps a program's
// input-idle event set exactly while its user-interface thread waits for messages, and sets it
// after passing the painting on: once the thread has left its wait to repaint, the event says
// when the repainted windows are on the screen. A reply to a message sent to that thread would
// come before. A console program (verinfo.exe) has no such event; its window is taken as it is.
bool WaitUntilPaintingIsShown(HANDLE process) {
  return WaitForInputIdle(process, kWaitBoundMilliseconds) != WAIT_TIMEOUT;
}

} // namespace

bool KeepScreenshot(DWORD processId, const std::string &name) {
  const TKernelHandle process(
      OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (!process.Get())
    return false;
  RECT area{};
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (!IsWindowVisible(window))
      continue;
    // The whole window is painted anew, and the invalidation wakes its thread from any wait.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT bounds;
    GetWindowRect(window, &bounds);
    UnionRect(&area, &area, &bounds);
  }
  if (IsRectEmpty(&area) || !WaitUntilPaintingIsShown(process.Get()))
    return false;
  InflateRect(&area, 24, 24);
  CreateDirectoryW(WideFromUtf8(E2E_ARTIFACT_DIR).c_str(), nullptr);
  return SaveScreenArea(area, std::string(E2E_ARTIFACT_DIR) + "/" + name + ".bmp");
}
