#include "tests/e2e/Artifacts.h"

#include "drivers/ScreenCapture.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/WideText_win.h"

bool KeepScreenshot(DWORD processId, const std::string &name) {
  RECT area{};
  for (HWND window : TopLevelWindowsOf(processId)) {
    if (!IsWindowVisible(window))
      continue;
    // Whatever the program has still to paint is painted before the picture is taken.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT bounds;
    GetWindowRect(window, &bounds);
    UnionRect(&area, &area, &bounds);
  }
  if (IsRectEmpty(&area))
    return false;
  InflateRect(&area, 24, 24);
  CreateDirectoryW(WideFromUtf8(E2E_ARTIFACT_DIR).c_str(), nullptr);
  return SaveScreenArea(area, std::string(E2E_ARTIFACT_DIR) + "/" + name + ".bmp");
}
