// The real updater.exe, started as a host starts it, watched and clicked from outside.

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
#include "update/dialog/UpdateOutcome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const char kMissingParameters[] =
    "There are not enough parameters for the updater to continue.\nQuintarel cannot be run "
    "directly.\nIt must be invoked with certian parameters.";
const char kMissingSettings[] = "The data file containing the update information has been "
                                "corrupted or is missing. Cannot continue.";
const char kChecking[] = "Checking for update...";
const char kDialogClass[] = "TUpdateDlg";

// The updater runs under a name of its own, so its settings must follow that name.
const char kProgramName[] = "X.exe";
const char kSettingsName[] = "X.ini";

// The block of loopback addresses for this file's servers.
constexpr int kAddressBlock = 1;

// A reply that never comes keeps the updater checking while the test looks at it.
TScriptedReply StalledReply() {
  TScriptedReply reply;
  reply.Bytes = RawReply("200 OK", {"Content-Length: 1"}, "7");
  reply.StallAt = 0;
  return reply;
}

std::string RequestLine(const std::string &request) {
  return request.substr(0, request.find("\r\n"));
}

// The value of the first header called name (in any letter case), or nothing.
std::optional<std::string> HeaderValue(const std::string &request, const std::string &name) {
  for (size_t start = request.find("\r\n"); start != std::string::npos;
       start = request.find("\r\n", start + 2)) {
    const std::string line = request.substr(start + 2, request.find("\r\n", start + 2) - start - 2);
    const size_t colon = line.find(':');
    if (colon == std::string::npos || colon != name.size() ||
        !std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
          return std::tolower(static_cast<unsigned char>(a)) ==
                 std::tolower(static_cast<unsigned char>(b));
        }))
      continue;
    // Blanks around a field value belong to the separator, not to the value.
    const size_t first = line.find_first_not_of(" \t", colon + 1);
    if (first == std::string::npos)
      return "";
    return line.substr(first, line.find_last_not_of(" \t") + 1 - first);
  }
  return std::nullopt;
}

bool ShowsChildText(HWND window, const std::string &text) {
  for (HWND child : ChildWindowsOf(window))
    if (WindowText(child) == text)
      return true;
  return false;
}

// The updater started by a host with usable settings, its version check stalled at the server,
// and its dialog once it reads "Checking for update...".
struct TCheckingUpdater {
  std::unique_ptr<TLoopbackServer> Server;
  std::unique_ptr<TUpdaterProcess> Process;
  HWND Dialog = nullptr;
};

class UpdaterStartup : public ::testing::Test {
protected:
  UpdaterStartup() { Folder.CopyIn(UPDATER_EXE_PATH, kProgramName); }

  /// Saves the settings as their bytes stand, or with utf16 as UTF-16 with its byte-order mark.
  void WriteSettings(const std::vector<std::string> &lines, bool utf16 = false) {
    const std::wstring wide = L"\xFEFF" + WideFromUtf8(Settings(lines));
    Folder.WriteFile(kSettingsName, utf16 ? std::string(reinterpret_cast<const char *>(wide.data()),
                                                        wide.size() * sizeof(wchar_t))
                                          : Settings(lines));
  }
  std::unique_ptr<TUpdaterProcess> Start(const std::string &arguments) {
    return std::make_unique<TUpdaterProcess>(Folder.PathOf(kProgramName), arguments);
  }
  /// Starts the updater with usable settings and arguments after the host's, and waits until
  /// it checks for an update; Dialog stays nullptr when it never does.
  TCheckingUpdater StartChecking(const std::string &moreArguments = "");
  /// What a host passes: its version and its program's full path, quoted for the blank in it.
  std::string HostParameters() const { return "3 \"" + Folder.PathOf("Host App.exe") + "\""; }

  TScratchFolder Folder;
};

void PressOkAndExpectExitCodeZero(TUpdaterProcess &updater, HWND box) {
  ASSERT_TRUE(ClickButton(box, "OK"));
  EXPECT_EQ(updater.WaitForExitCode(), std::optional<DWORD>(0));
}

// The caption of the update dialog, which the updater sets from its settings.
std::string DialogCaption(const TUpdaterProcess &updater) {
  const HWND dialog = FindTopLevelWindow(updater.Id(), kDialogClass);
  if (!dialog)
    throw std::runtime_error("the updater has no update dialog window");
  return WindowText(dialog);
}

// The updater shows the error message text while its update dialog bears dialogCaption, and
// ends with exit code 0 once OK is pressed; the message is kept as screenshot.
void ExpectErrorMessageThenEnd(TUpdaterProcess &updater, const std::string &text,
                               const std::string &dialogCaption, const std::string &screenshot) {
  const HWND box = WaitForMessageBox(updater);
  ASSERT_NE(box, nullptr) << "no message box appeared";
  ExpectErrorMessage(box, text);
  EXPECT_EQ(DialogCaption(updater), dialogCaption);
  EXPECT_TRUE(KeepScreenshot(updater.Id(), screenshot));
  PressOkAndExpectExitCodeZero(updater, box);
}

// --- Fewer than two parameters: the first message, and the settings stay unread. ---

struct TTooFewParameters {
  const char *Name;
  const char *Arguments;
};
void PrintTo(const TTooFewParameters &param, std::ostream *out) { *out << param.Name; }

class UpdaterWithTooFewParameters : public UpdaterStartup,
                                    public ::testing::WithParamInterface<TTooFewParameters> {};

TEST_P(UpdaterWithTooFewParameters, ShowsTheMissingParametersMessageAndReadsNoSettings) {
  const std::string address = NextServerAddress(kAddressBlock);
  TLoopbackServer server(address, {StalledReply()});
  WriteSettings(UsableSettings(address));
  const auto updater = Start(GetParam().Arguments);

  // Had the settings been read, the caption would be "Foo Updater...".
  ExpectErrorMessageThenEnd(*updater, kMissingParameters, "",
                            std::string("missing-parameters-") + GetParam().Name);
  EXPECT_TRUE(server.Requests().empty()) << "the version check was started";
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, UpdaterWithTooFewParameters,
    ::testing::Values(TTooFewParameters{"none", ""}, TTooFewParameters{"one", "3"},
                      // A pair of quotes with nothing between them is no parameter at all.
                      TTooFewParameters{"empty_quoted_second", "3 \"\""}),
    [](const ::testing::TestParamInfo<TTooFewParameters> &info) { return info.param.Name; });

// --- Settings that are missing or "null": the second message, and no transfer starts. ---

TEST_F(UpdaterStartup, WithoutItsOwnSettingsFileShowsTheMissingSettingsMessage) {
  const std::string address = NextServerAddress(kAddressBlock);
  TLoopbackServer server(address, {StalledReply()});
  // Settings under the name the program was built with do not count for X.exe.
  Folder.WriteFile("updater.ini", Settings(UsableSettings(address)));
  const auto updater = Start(HostParameters());

  ExpectErrorMessageThenEnd(*updater, kMissingSettings, " Updater...", "missing-settings-file");
  EXPECT_TRUE(server.Requests().empty()) << "the version check was started";
}

struct TUnusableUrls {
  const char *Name;
  std::vector<std::string> UrlLines; // ADDRESS stands for the server's address
};
void PrintTo(const TUnusableUrls &param, std::ostream *out) { *out << param.Name; }

class UpdaterWithUnusableUrls : public UpdaterStartup,
                                public ::testing::WithParamInterface<TUnusableUrls> {};

TEST_P(UpdaterWithUnusableUrls, ShowsTheMissingSettingsMessageUnderItsTitle) {
  const std::string address = NextServerAddress(kAddressBlock);
  TLoopbackServer server(address, {StalledReply()});
  std::vector<std::string> lines{"AppTitle=Foo"};
  for (std::string line : GetParam().UrlLines) {
    const size_t placeholder = line.find("ADDRESS");
    if (placeholder != std::string::npos)
      line.replace(placeholder, 7, address);
    lines.push_back(line);
  }
  WriteSettings(lines);
  const auto updater = Start(HostParameters());

  // The title is set before the URLs are checked.
  ExpectErrorMessageThenEnd(*updater, kMissingSettings, "Foo Updater...",
                            std::string("missing-settings-") + GetParam().Name);
  EXPECT_TRUE(server.Requests().empty()) << "a transfer was started";
}

INSTANTIATE_TEST_SUITE_P(
    Settings, UpdaterWithUnusableUrls,
    ::testing::Values(
        TUnusableUrls{"version_file_null",
                      {"VersionFile=null", "DownloadFile=http://ADDRESS/new.exe"}},
        TUnusableUrls{"download_file_null",
                      {"VersionFile=http://ADDRESS/version.txt", "DownloadFile=null"}},
        TUnusableUrls{"version_file_missing", {"DownloadFile=http://ADDRESS/new.exe"}},
        TUnusableUrls{"download_file_missing", {"VersionFile=http://ADDRESS/version.txt"}}),
    [](const ::testing::TestParamInfo<TUnusableUrls> &info) { return info.param.Name; });

// --- The settings file to start from that tools/make-updater puts beside updater.exe: refused
// as written, so that an updater shipped with it unchanged asks nobody; usable once its required
// keys are filled in, with every example value it gives, but not with its placeholder key. ---

TEST_F(UpdaterStartup, TakesItsSettingsTemplateOnlyOnceFilledIn) {
  const struct {
    const char *Name;
    std::vector<std::string> Uncommented;
    bool Usable; // the version file offers the host's own version: nothing newer, exit code 0
  } rows[] = {{"as written", {}, false},
              {"required keys", {"VersionFile", "DownloadFile"}, true},
              {"every example value",
               {"VersionFile", "DownloadFile", "AppTitle", "Timeout", "DeltaUpdates",
                "ReleaseNotes", "ReleaseRecord", "CheckInterval"},
               true},
              {"the placeholder key", {"VersionFile", "DownloadFile", "PublicKey"}, false}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.Name);
    const std::string address = NextServerAddress(kAddressBlock);
    std::string text = ReadWholeFile(SETTINGS_TEMPLATE);
    for (const std::string &key : row.Uncommented) {
      const size_t line = text.find("\n;" + key + "=");
      ASSERT_NE(line, std::string::npos) << "the template has no line ;" << key << "=";
      text.erase(line + 1, 1);
    }
    const std::string example = "https://updates.example.com/";
    for (size_t at; (at = text.find(example)) != std::string::npos;)
      text.replace(at, example.size(), "http://" + address + "/");
    TLoopbackServer server(address, {{RawReply("200 OK", {"Content-Length: 1"}, "3")}});
    Folder.WriteFile(kSettingsName, text);
    EXPECT_EQ(Start(HostParameters() + " /quiet")->WaitForExitCode(),
              std::optional<DWORD>(
                  row.Usable ? 0 : static_cast<DWORD>(TUpdateOutcome::SettingsUnusable)));
    std::vector<std::string> requests = server.Requests();
    for (std::string &request : requests)
      request = RequestLine(request);
    EXPECT_EQ(requests, row.Usable ? std::vector<std::string>{"GET /myprogram/version.txt HTTP/1.0"}
                                   : std::vector<std::string>{});
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Veltmark\\Quintarel Updater\\Checks",
                     WideFromUtf8(Folder.PathOf("Host App.exe")).c_str());
}

// --- Usable settings: the dialog shows its title and the version check goes out. ---

// Waits for the update dialog to read "Checking for update...", the state the updater enters
// only once its parameters and settings have been accepted.
HWND WaitForCheckingDialog(const TUpdaterProcess &updater) {
  return WaitForTopLevelWindow(updater.Id(), [](HWND window) {
    return WindowClassName(window) == kDialogClass && ShowsChildText(window, kChecking);
  });
}

TCheckingUpdater UpdaterStartup::StartChecking(const std::string &moreArguments) {
  const std::string address = NextServerAddress(kAddressBlock);
  TCheckingUpdater started;
  started.Server =
      std::make_unique<TLoopbackServer>(address, std::vector<TScriptedReply>{StalledReply()});
  WriteSettings(UsableSettings(address));
  started.Process = Start(HostParameters() + moreArguments);
  started.Dialog = WaitForCheckingDialog(*started.Process);
  return started;
}

struct TTitleCase {
  const char *Name;
  std::vector<std::string> TitleLines;
  const char *Title;
  // The title as a server reads the User-Agent field: an HTTP field value cannot begin with a
  // blank, so a title's leading blank is lost on the way. It goes out in the system code page
  // (here 1252), as it always has.
  const char *Agent;
  bool Utf16 = false; // the settings file is saved as UTF-16, not in the system code page
};
void PrintTo(const TTitleCase &param, std::ostream *out) { *out << param.Name; }

class UpdaterCheckingForUpdate : public UpdaterStartup,
                                 public ::testing::WithParamInterface<TTitleCase> {};

TEST_P(UpdaterCheckingForUpdate, ShowsItsTitleAndSendsItAsTheAgent) {
  const std::string address = NextServerAddress(kAddressBlock);
  TLoopbackServer server(address, {StalledReply()});
  std::vector<std::string> lines = GetParam().TitleLines;
  for (const std::string &line : UrlSettings(address))
    lines.push_back(line);
  WriteSettings(lines, GetParam().Utf16);
  const auto updater = Start(HostParameters());

  const HWND dialog = WaitForCheckingDialog(*updater);
  ASSERT_NE(dialog, nullptr) << "the update dialog never read \"" << kChecking << "\"";
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(WindowText(dialog), GetParam().Title);
  ASSERT_TRUE(WaitUntil([&] { return !server.Requests().empty(); })) << "no request arrived";
  const std::string request = server.Requests().front();
  EXPECT_EQ(RequestLine(request), "GET /updates/version.txt HTTP/1.0");
  EXPECT_EQ(HeaderValue(request, "User-Agent"), std::optional<std::string>(GetParam().Agent));
  EXPECT_EQ(HeaderValue(request, "Accept"), std::optional<std::string>("*/*"));
  EXPECT_TRUE(KeepScreenshot(updater->Id(), std::string("checking-") + GetParam().Name));
}

INSTANTIATE_TEST_SUITE_P(
    Titles, UpdaterCheckingForUpdate,
    ::testing::Values(
        TTitleCase{"app_title_foo", {"AppTitle=Foo"}, "Foo Updater...", "Foo Updater..."},
        TTitleCase{"app_title_missing", {}, " Updater...", "Updater..."},
        TTitleCase{"app_title_empty", {"AppTitle="}, " Updater...", "Updater..."},
        TTitleCase{"app_title_in_code_page_1252",
                   {"AppTitle=Caf\xE9 M\xFCller"},
                   "Café Müller Updater...",
                   "Caf\xE9 M\xFCller Updater..."},
        TTitleCase{"app_title_in_utf16",
                   {"AppTitle=Программа"},
                   "Программа Updater...",
                   "????????? Updater...",
                   true}),
    [](const ::testing::TestParamInfo<TTitleCase> &info) { return info.param.Name; });

TEST_F(UpdaterStartup, LaysOutItsDialogCentredOnTheDesktop) {
  const TCheckingUpdater updater = StartChecking();
  const HWND dialog = updater.Dialog;
  ASSERT_NE(dialog, nullptr) << "the update dialog never read \"" << kChecking << "\"";
  RECT client;
  ASSERT_TRUE(GetClientRect(dialog, &client));
  EXPECT_EQ(client.right, 376);
  EXPECT_EQ(client.bottom, 119);
  RECT window;
  ASSERT_TRUE(GetWindowRect(dialog, &window));
  EXPECT_NEAR(window.left + window.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(window.top + window.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
}

// Another Wine process cannot read the items of the updater's menus, so the entries are checked
// inside the process; from outside, the menu is opened as a user would and kept as a picture.
TEST_F(UpdaterStartup, OpensItsSystemMenuFromTheKeyboard) {
  const TCheckingUpdater updater = StartChecking();
  const HWND dialog = updater.Dialog;
  ASSERT_NE(dialog, nullptr) << "the update dialog never read \"" << kChecking << "\"";

  // What Alt+Space asks of a window.
  ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE));
  const HWND menu = WaitForTopLevelWindow(updater.Process->Id(), [](HWND window) {
    return IsWindowVisible(window) && WindowClassName(window) == "#32768";
  });
  ASSERT_NE(menu, nullptr) << "no menu opened";
  EXPECT_TRUE(KeepScreenshot(updater.Process->Id(), "system-menu"));
}

TEST_F(UpdaterStartup, IgnoresParametersAfterTheSecond) {
  const TCheckingUpdater updater = StartChecking(" /extra \"one more\"");
  ASSERT_NE(updater.Dialog, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return !updater.Server->Requests().empty(); }))
      << "no request arrived";
}

// --- One updater per program: a second one for the same program file, in any letter case, ends
// at once; one for another program goes its way beside the first. ---

TEST_F(UpdaterStartup, RunsOnceForEachProgram) {
  const TCheckingUpdater first = StartChecking();
  ASSERT_NE(first.Dialog, nullptr);
  std::string sameProgram = HostParameters();
  CharUpperBuffA(sameProgram.data(), static_cast<DWORD>(sameProgram.size()));

  // Quiet, it shows nothing and tells the host by its exit code.
  const auto quiet = Start(sameProgram + " /quiet");
  EXPECT_EQ(quiet->WaitForExitCode(),
            std::optional<DWORD>(static_cast<DWORD>(TUpdateOutcome::AlreadyRunning)));

  // Otherwise it brings the running updater's window to the front, over whatever was there.
  const TWindowHandle other(CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other",
                                            WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr,
                                            nullptr, nullptr));
  SetForegroundWindow(other.Get());
  ASSERT_NE(GetForegroundWindow(), first.Dialog);
  const auto normal = Start(sameProgram);
  EXPECT_EQ(normal->WaitForExitCode(), std::optional<DWORD>(0));
  // Wine hands the foreground over through the display's focus, which may pass through no window.
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first.Dialog; }))
      << "the foreground is " << GetForegroundWindow();
  EXPECT_EQ(first.Server->Requests().size(), 1u) << "the second updater checked too";

  // Another program's updater goes its way, once the server is free for it.
  first.Server->Release();
  const auto another = Start("3 \"" + Folder.PathOf("Other.exe") + "\"");
  EXPECT_NE(WaitForCheckingDialog(*another), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return first.Server->Requests().size() == 2; }));
}

// --- The About box: reached only through the whole command "About...". ---

std::vector<HWND> AboutBoxesOf(const TUpdaterProcess &updater) {
  std::vector<HWND> boxes;
  for (HWND window : TopLevelWindowsOf(updater.Id()))
    if (WindowClassName(window) == "TAboutDlg")
      boxes.push_back(window);
  return boxes;
}

HWND WaitForVisibleAboutBox(const TUpdaterProcess &updater) {
  return WaitForTopLevelWindow(updater.Id(), [](HWND window) {
    return WindowClassName(window) == "TAboutDlg" && IsWindowVisible(window);
  });
}

// What the updater's own version resource says, read here through version.dll, UTF-8.
std::string OwnVersionString(const char *key) {
  const std::wstring program = WideFromUtf8(UPDATER_EXE_PATH);
  DWORD handle = 0;
  std::vector<char> block(GetFileVersionInfoSizeW(program.c_str(), &handle));
  void *value = nullptr;
  UINT length = 0;
  if (block.empty() ||
      !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueW(block.data(),
                      WideFromUtf8(std::string("\\StringFileInfo\\040904E4\\") + key).c_str(),
                      &value, &length))
    return "";
  return Utf8FromWide(static_cast<const wchar_t *>(value));
}

TEST_F(UpdaterStartup, OpensANewAboutBoxForEachAboutCommand) {
  const TCheckingUpdater started = StartChecking();
  const TUpdaterProcess *updater = started.Process.get();
  const HWND dialog = started.Dialog;
  ASSERT_NE(dialog, nullptr);

  // 0x1001 is not "About...": it goes to the usual handling and opens nothing.
  ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 0x1001, 0));
  ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 0x1000, 0));
  const HWND box = WaitForVisibleAboutBox(*updater);
  ASSERT_NE(box, nullptr) << "no About box opened";
  EXPECT_EQ(AboutBoxesOf(*updater).size(), 1u);
  EXPECT_EQ(WindowText(box), "About...");
  std::vector<std::string> texts;
  for (HWND child : ChildWindowsOf(box))
    texts.push_back(WindowText(child));
  for (const std::string &shown :
       {std::string("Version "), std::string("1.1.3.11"), OwnVersionString("LegalCopyright"),
        std::string("Quintarel"), std::string("Veltmark Development")})
    EXPECT_NE(std::find(texts.begin(), texts.end(), shown), texts.end()) << shown;
  EXPECT_NE(OwnVersionString("LegalCopyright"), "");
  EXPECT_TRUE(KeepScreenshot(updater->Id(), "about"));

  ASSERT_TRUE(ClickButton(box, "OK"));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(box); }));
  ASSERT_TRUE(PostMessageW(dialog, WM_SYSCOMMAND, 0x1000, 0));
  EXPECT_TRUE(WaitUntil([&] { return AboutBoxesOf(*updater).size() == 2; }))
      << "a second About... makes a second box";
}

// Only the exact lower-case "null" means missing; any other text is passed on as the URL,
// whose failure belongs to the version check, not to the settings.
class UpdaterWithOddVersionUrl : public UpdaterStartup,
                                 public ::testing::WithParamInterface<const char *> {};

TEST_P(UpdaterWithOddVersionUrl, AcceptsItAndStartsChecking) {
  WriteSettings({"AppTitle=Foo", std::string("VersionFile=") + GetParam(),
                 "DownloadFile=http://" + NextServerAddress(kAddressBlock) + "/updates/new.exe"});
  const auto updater = Start(HostParameters());

  ASSERT_NE(WaitForCheckingDialog(*updater), nullptr)
      << "the update dialog never read \"" << kChecking << "\"";
  for (HWND window : TopLevelWindowsOf(updater->Id())) {
    if (IsVisibleDialogBox(window)) {
      EXPECT_NE(ReadMessageBox(window).Text, kMissingSettings);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Settings, UpdaterWithOddVersionUrl, ::testing::Values("NULL", ""),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                           return *info.param ? std::string("upper_case_null")
                                              : std::string("empty");
                         });

} // namespace
