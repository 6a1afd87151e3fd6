// verinfo.exe --window: the version data of one file in a small window, as a user looks at it.

#include "drivers/UpdaterProcess.h"
#include "drivers/WindowFinder.h"
#include "tests/e2e/Artifacts.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <optional>
#include <string>

namespace {

LRESULT Ask(HWND window, UINT message, WPARAM wParam) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, message, wParam, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  return static_cast<LRESULT>(answer);
}

TEST(VerinfoWindow, ListsTheUpdatersVersionData) {
  TUpdaterProcess verinfo(VERINFO_EXE_PATH, std::string("--window \"") + UPDATER_EXE_PATH + "\"");
  const HWND window = WaitForTopLevelWindow(verinfo.Id(), [](HWND candidate) {
    return WindowClassName(candidate) == "TVersionWindow" && IsWindowVisible(candidate);
  });
  ASSERT_NE(window, nullptr) << "verinfo showed no window";
  HWND list = nullptr;
  for (HWND child : ChildWindowsOf(window))
    if (WindowClassName(child) == WC_LISTVIEWA)
      list = child;
  ASSERT_NE(list, nullptr);
  // Product name and version, company, copyright, description, file version, file name: the
  // entries of the updater's resource that hold a value.
  EXPECT_EQ(Ask(list, LVM_GETITEMCOUNT, 0), 7);
  RECT client;
  GetClientRect(list, &client);
  const LRESULT resourceWidth = Ask(list, LVM_GETCOLUMNWIDTH, 0);
  const LRESULT valueWidth = Ask(list, LVM_GETCOLUMNWIDTH, 1);
  EXPECT_GT(resourceWidth, 40) << "the captions are readable";
  EXPECT_GT(valueWidth, client.right / 3) << "the values are readable";
  EXPECT_TRUE(KeepScreenshot(verinfo.Id(), "verinfo-window"));

  ASSERT_TRUE(PostMessageW(window, WM_CLOSE, 0, 0));
  EXPECT_EQ(verinfo.WaitForExitCode(), std::optional<DWORD>(0));
}

} // namespace
