// The offer with release notes, driven through the real updater.exe as a user drives it: the
// notes in any script and at any length, the keyboard of a message box, and the skipped version.

#include "drivers/MessageBoxView.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/WideText_win.h"
#include "tests/e2e/Artifacts.h"
#include "tests/e2e/ScratchFolder.h"
#include "tests/e2e/UpdaterDriver.h"
#include "tests/win/LoopbackServer.h"
#include "update/UpdateOutcome.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The block of loopback addresses for this file's servers.
constexpr int kAddressBlock = 7;
const wchar_t kChecks[] = L"Software\\Veltmark\\Quintarel Updater\\Checks";

const TMessageBoxView kOfferView{"Run Program?",
                                 "Yes! An update is available, would you like to download it?",
                                 {"Skip This Version", "Yes", "No"},
                                 false};
const std::string kVersion = "GET /updates/version.txt";
const std::string kNotes = "GET /updates/notes.txt";
const std::string kDownload = "GET /updates/new.exe";
constexpr DWORD kDeclined = static_cast<DWORD>(TUpdateOutcome::Declined);

TScriptedReply Served(const std::string &body) {
  return {RawReply("200 OK", {"Content-Length: " + std::to_string(body.size())}, body)};
}
// The new program in two pieces a second apart: time enough to see the dialog come back.
TScriptedReply SlowDownload() {
  TScriptedReply reply = Served(ReadWholeFile(DEMO_HOST_V2_PATH));
  reply.PieceSize = reply.Bytes.size() / 2 + 1;
  reply.PieceDelayMs = 1000;
  return reply;
}

// The edit control ends its lines with "\r\n".
std::string Shown(const std::string &notes) {
  std::string shown;
  for (char c : notes)
    shown += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return shown;
}

LRESULT Asked(HWND window, UINT message) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  return static_cast<LRESULT>(answer);
}

// A key pressed and let go, as the keyboard sends it to the window in front.
void Press(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  EXPECT_EQ(SendInput(2, input, sizeof *input), 2u);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof thread;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread);
  return thread.hwndFocus;
}

class ReleaseNotes : public ::testing::Test {
protected:
  ReleaseNotes() {
    Folder.CopyIn(UPDATER_EXE_PATH, "updater.exe");
    Folder.CopyIn(DEMO_HOST_V1_PATH, "Host App.exe");
  }
  ~ReleaseNotes() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kChecks,
                       WideFromUtf8(Folder.PathOf("Host App.exe")).c_str());
  }

  /// Starts the updater as the host does, with startSwitch, against a server that answers
  /// replies in order; the settings name the notes.
  void Start(const std::string &startSwitch, std::vector<TScriptedReply> replies) {
    const std::string address = NextServerAddress(kAddressBlock);
    Server.emplace(address, std::move(replies));
    std::vector<std::string> settings = UsableSettings(address);
    settings.push_back("ReleaseNotes=http://" + address + "/updates/notes.txt");
    Folder.WriteFile("updater.ini", Settings(settings));
    Updater.emplace(Folder.PathOf("updater.exe"),
                    "1 \"" + Folder.PathOf("Host App.exe") + "\"" + startSwitch);
  }
  /// Waits for the offer and expects it as a user meets it: in front, modal, Yes focused,
  /// inside its monitor's work area and centred there, the notes shown whole.
  HWND ExpectOffer(const std::string &notes) {
    const HWND offer = WaitForTopLevelWindow(Updater->Id(), [](HWND window) {
      return IsWindowVisible(window) && WindowClassName(window) == "TOfferDlg";
    });
    if (!offer)
      return nullptr;
    ExpectMessageBox(offer, kOfferView);
    EXPECT_EQ(WindowText(FindWindowExW(offer, nullptr, L"Edit", nullptr)), Shown(notes));
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == offer; })) << "not in front";
    EXPECT_EQ(FocusOf(offer), FindWindowExW(offer, nullptr, L"Button", L"&Yes"));
    EXPECT_FALSE(IsWindowEnabled(FindTopLevelWindow(Updater->Id(), "TUpdateDlg")));
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(offer, MONITOR_DEFAULTTONEAREST), &monitor);
    RECT frame, inside;
    GetWindowRect(offer, &frame);
    IntersectRect(&inside, &frame, &monitor.rcWork);
    EXPECT_TRUE(EqualRect(&inside, &frame)) << "past the work area";
    EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
    return offer;
  }
  /// The paths the server was asked for.
  std::vector<std::string> Requests() const {
    std::vector<std::string> requests;
    for (const std::string &request : Server->Requests())
      requests.push_back(request.substr(0, request.find(" HTTP/")));
    return requests;
  }

  TScratchFolder Folder;
  std::optional<TLoopbackServer> Server;
  std::optional<TUpdaterProcess> Updater;
};

// How the user answers the offer.
enum class TAnswer { ClickYes, ClickNo, Enter, Esc, CloseBox };
struct TOfferRow {
  const char *Name;
  std::string Notes;
  TAnswer Answer;
  bool ScrollFirst = false; // Tab round into the notes and page down before answering
};
void PrintTo(const TOfferRow &row, std::ostream *out) { *out << row.Name; }

std::string LongNotes() {
  std::string notes = "Version 2: everything that changed since version 1.";
  for (int line = 1; line <= 150; ++line)
    notes += "\nChange " + std::to_string(line) + ": a fix that needed a line of its own.";
  return notes;
}

class OfferWithNotes : public ReleaseNotes, public ::testing::WithParamInterface<TOfferRow> {};

// The offer shows the notes as served and answers as a message box does. A quiet start keeps
// the dialog hidden until the offer, which must still come to the front; Yes leads on to the
// download as the plain offer does, and the dialog is active again meanwhile.
TEST_P(OfferWithNotes, ShowsTheNotesAndTakesTheAnswer) {
  const TOfferRow &row = GetParam();
  const bool yes = row.Answer == TAnswer::ClickYes || row.Answer == TAnswer::Enter;
  Start(" /quiet", {Served("2"), Served(row.Notes), SlowDownload()});
  const HWND offer = ExpectOffer(row.Notes);
  ASSERT_NE(offer, nullptr) << "no offer";
  EXPECT_TRUE(KeepScreenshot(Updater->Id(), std::string("offer-") + row.Name));
  if (row.ScrollFirst) {
    const HWND notes = FindWindowExW(offer, nullptr, L"Edit", nullptr);
    const auto button = [&](const wchar_t *caption) {
      return FindWindowExW(offer, nullptr, L"Button", caption);
    };
    // Tab goes round in the order of reading, and out of the notes too.
    for (HWND next : {button(L"&No"), notes, button(L"&Skip This Version"), button(L"&Yes"),
                      button(L"&No"), notes}) {
      Press(VK_TAB);
      EXPECT_TRUE(WaitUntil([&] { return FocusOf(offer) == next; })) << WindowText(next);
    }
    Press(VK_NEXT);
    EXPECT_TRUE(WaitUntil([&] { return Asked(notes, EM_GETFIRSTVISIBLELINE) > 0; }));
    EXPECT_GT(Asked(notes, EM_GETLINECOUNT), Asked(notes, EM_GETFIRSTVISIBLELINE));
    EXPECT_TRUE(KeepScreenshot(Updater->Id(), std::string("offer-") + row.Name + "-scrolled"));
  }
  switch (row.Answer) {
  case TAnswer::ClickYes:
  case TAnswer::ClickNo:
    EXPECT_TRUE(ClickButton(offer, yes ? "Yes" : "No"));
    break;
  case TAnswer::Enter:
  case TAnswer::Esc:
    Press(yes ? VK_RETURN : VK_ESCAPE);
    break;
  case TAnswer::CloseBox:
    PostMessageW(offer, WM_SYSCOMMAND, SC_CLOSE, 0);
    break;
  }
  if (yes) {
    const HWND dialog = FindTopLevelWindow(Updater->Id(), "TUpdateDlg");
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == dialog; })) << "not active";
    EXPECT_TRUE(IsWindowEnabled(dialog));
    const HWND replace = WaitForMessageBox(*Updater);
    ASSERT_NE(replace, nullptr);
    EXPECT_EQ(ReadMessageBox(replace).Caption, "Replace?");
    EXPECT_TRUE(ClickButton(replace, "No"));
  }
  EXPECT_EQ(Updater->WaitForExitCode(), kDeclined);
  std::vector<std::string> asked = {kVersion, kNotes};
  if (yes)
    asked.push_back(kDownload);
  EXPECT_EQ(Requests(), asked);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OfferWithNotes,
    ::testing::Values(
        TOfferRow{"latin", "Version 2\n\nNaïve café: the résumé of a download goes on.",
                  TAnswer::ClickNo},
        TOfferRow{"cyrillic", "Версия 2\n\nИсправлено: сбой при запуске.\nЁлка, щука, объём.",
                  TAnswer::ClickYes},
        TOfferRow{"cjk",
                  "版本 2\n\n修复：启动时崩溃。\nダウンロードが速くなりました。\n다운로드가 "
                  "빨라졌습니다.",
                  TAnswer::Esc},
        TOfferRow{"arabic_hebrew", "الإصدار 2: تنزيلات أسرع.\nגרסה 2: הורדות מהירות יותר.",
                  TAnswer::CloseBox},
        TOfferRow{"long", LongNotes(), TAnswer::Enter, true}),
    [](const ::testing::TestParamInfo<TOfferRow> &info) { return info.param.Name; });

// "Skip This Version" keeps the version from a host's quiet start, which then neither asks for
// the notes nor shows anything; the user's own start offers it still, and a newer version is
// offered to every start.
TEST_F(ReleaseNotes, ASkippedVersionIsOfferedOnlyWhenTheUserAsks) {
  const std::string notes = "Version 2\n\nFixed: the crash on start.";
  const struct {
    const char *Name;
    const char *Switch;
    const char *Version;
    const char *Button; // nullptr: no offer is shown
    DWORD ExitCode;
  } starts[] = {{"skipped", " /quiet", "2", "Skip This Version", kDeclined},
                {"quiet, the skipped version", " /quiet", "2", nullptr, kDeclined},
                {"the user's own, the skipped version", "", "2", "No", 0},
                {"quiet, a newer version", " /quiet", "3", "No", kDeclined}};
  for (const auto &start : starts) {
    SCOPED_TRACE(start.Name);
    Start(start.Switch, {Served(start.Version), Served(notes)});
    if (start.Button) {
      const HWND offer = ExpectOffer(notes);
      ASSERT_NE(offer, nullptr) << "no offer";
      EXPECT_TRUE(ClickButton(offer, start.Button));
    }
    EXPECT_EQ(Updater->WaitForExitCode(), start.ExitCode);
    const std::vector<std::string> asked = {kVersion, kNotes};
    EXPECT_EQ(Requests(), std::vector<std::string>(asked.begin(), asked.end() - !start.Button));
  }
}

} // namespace
