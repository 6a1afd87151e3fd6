// The offer with release notes, driven through the real updater.exe as a user drives it.

#include "drivers/MessageBoxView.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/WideText_win.h"
#include "tests/e2e/Artifacts.h"
#include "tests/e2e/ScratchFolder.h"
#include "tests/e2e/UpdaterDriver.h"
#include "tests/win/LoopbackServer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TScriptedReply Served(const std::string &body) {
  return {RawReply("200 OK", {"Content-Length: " + std::to_string(body.size())}, body)};
}
// A key pressed and let go, as the keyboard sends it to the window in front.
void Press(WORD key) {
  INPUT input[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  EXPECT_EQ(SendInput(2, input, sizeof *input), 2u);
}

// A user's starts in turn, quiet (the dialog hidden until the offer) but one. The offer comes to
// the front, modal, Yes focused; Yes (or Enter in the notes) leads on to the download, No, Esc and
// the close box decline; Tab goes round. A skipped version is offered to the user's own start only.
TEST(ReleaseNotes, TheOfferShowsTheNotesAndTakesTheAnswer) {
  const TScratchFolder folder;
  folder.CopyIn(UPDATER_EXE_PATH, "updater.exe");
  folder.CopyIn(DEMO_HOST_V1_PATH, "Host App.exe");
  const std::string latin = "Version 2\r\n\r\nNaïve café: the résumé of a download goes on.";
  std::string longNotes = "Version 2: everything that changed since version 1.";
  for (int line = 1; line <= 150; ++line)
    longNotes += "\r\nChange " + std::to_string(line) + ": a fix that needed a line of its own.";
  const char *quiet = " /quiet";
  const struct {
    const char *Name, *Switch, *Version;
    std::vector<WORD> Keys;    // pressed in turn, Yes focused first
    std::string Button, Notes; // then clicked, or "close"; no keys and none: no offer is shown
  } starts[] = {
      {"cyrillic", quiet, "2", {}, "Yes", "Версия 2\r\n\r\nИсправлено: сбой.\r\nЁлка, щука."},
      {"cjk", quiet, "2", {VK_ESCAPE}, "", "版本 2\r\n修复：崩溃。\r\nダウンロード\r\n다운로드"},
      {"long", quiet, "2", {VK_TAB, VK_TAB, VK_NEXT, VK_RETURN}, "", longNotes}, // to No, the notes
      {"latin", quiet, "2", {VK_TAB, VK_TAB, VK_TAB, VK_SPACE}, "", latin}, // out of them to Skip
      {"skipped", quiet, "2", {}, "", latin},
      {"skipped-asked", "", "2", {}, "No", latin},
      {"newer", quiet, "3", {}, "No", latin},
      {"newer-closed", quiet, "3", {}, "close", "الإصدار 3: تنزيلات أسرع.\r\nגרסה 3: הורדות."}};
  for (const auto &start : starts) {
    SCOPED_TRACE(start.Name);
    const std::string address = NextServerAddress(7); // a block of this file's own
    TLoopbackServer server(address, {Served(start.Version), Served(start.Notes),
                                     Served(ReadWholeFile(DEMO_HOST_V2_PATH))});
    std::vector<std::string> settings = UsableSettings(address);
    settings.push_back("ReleaseNotes=http://" + address + "/updates/notes.txt");
    folder.WriteFile("updater.ini", Settings(settings));
    TUpdaterProcess updater(folder.PathOf("updater.exe"),
                            "1 \"" + folder.PathOf("Host App.exe") + "\"" + start.Switch);
    const bool offered = !start.Keys.empty() || !start.Button.empty();
    const HWND offer = !offered ? nullptr : WaitForTopLevelWindow(updater.Id(), [](HWND w) {
      return IsWindowVisible(w) && WindowClassName(w) == "TOfferDlg";
    });
    EXPECT_EQ(offer != nullptr, offered) << "no offer";
    if (offer) {
      ExpectMessageBox(offer, {"Run Program?",
                               "Yes! An update is available, would you like to download it?",
                               {"Skip This Version", "Yes", "No"}});
      const HWND notes = FindWindowExW(offer, nullptr, L"Edit", nullptr);
      EXPECT_EQ(WindowText(notes), start.Notes);
      EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == offer; })) << "not in front";
      EXPECT_FALSE(IsWindowEnabled(FindTopLevelWindow(updater.Id(), "TUpdateDlg")));
      EXPECT_TRUE(KeepScreenshot(updater.Id(), std::string("offer-") + start.Name));
      for (WORD key : start.Keys) {
        Press(key);
        if (key == VK_NEXT) { // the notes have the focus, and scroll
          EXPECT_TRUE(WaitUntil([&] { return SendMessageW(notes, EM_GETFIRSTVISIBLELINE, 0, 0); }));
        }
      }
      if (start.Button == "close") {
        PostMessageW(offer, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (!start.Button.empty()) {
        EXPECT_TRUE(ClickButton(offer, start.Button));
      }
    }
    const bool yes =
        start.Button == "Yes" || (!start.Keys.empty() && start.Keys.back() == VK_RETURN);
    const HWND replace = yes ? WaitForMessageBox(updater) : nullptr; // the download is done
    EXPECT_TRUE(!yes || (replace && ReadMessageBox(replace).Caption == "Replace?" &&
                         ClickButton(replace, "No")));
    EXPECT_EQ(updater.WaitForExitCode(), *start.Switch ? 2u : 0u);
    // The version file, the notes where an offer shows them, the download after a Yes.
    EXPECT_EQ(server.Requests().size(), 3u - !yes - !offer);
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Veltmark\\Quintarel Updater\\Checks",
                     WideFromUtf8(folder.PathOf("Host App.exe")).c_str());
}

} // namespace
