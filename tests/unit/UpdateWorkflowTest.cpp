// The update run from the version file to the end of the program, with the transfers answered
// by a scripted network and the files in a folder of the test's own.

#include "tests/unit/RecordingView.h"
#include "tests/unit/TransferFixture.h"
#include "update/UpdateDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

const std::string kCheckFailed =
    "error [An error occured when trying to check for an update.\nReason:\n\n ";
const std::string kTooLong = kCheckFailed + "Invalid version length.]";
const std::string kNoVersionFile = kCheckFailed + "Version file is nonexistant.]";
const std::string kDownloadFailed = "error [An error occured when trying to download an update."
                                    "\nReason:\n\n Connection to file was lost.]";
const std::string kNotAProgram = "error [An error occurred when trying to download an update."
                                 "\nReason:\n\n The downloaded file is not a valid program.]";
const std::string kOffer =
    "box Run Program? [Yes! An update is available, would you like to download it?] yes/no";
const std::string kLatest = "box Latest Version [You have the latest version of the software.] ok";
const std::string kReplace = "box Replace? [The update to the program has finished downloading."
                             "\nWould you like to replace the old program with the new one?] "
                             "yes/no";
const std::string kClose = "box Close Program [Please exit any open versions of the program "
                           "before clicking OK.] ok";
const std::string kRun = "box Run Program? [Would you like to run the updated program now?] yes/no";
const std::string kAbort = "box Abort [Abort Update?] yes/no";
const std::string kReplaceFailed =
    "box Error [An error occurred when trying to replace the program.\nReason:\n\n The program "
    "file is in use or cannot be written.] retry/cancel";

std::string NotANumber(const std::string &quoted) {
  return "error [An error occurred when trying to check for an update.\nReason:\n\n The version "
         "file holds " +
         quoted + ", which is not a whole number.]";
}

// The smallest file that passes for a program image: "MZ", the offset 64 at byte 60, "PE\0\0".
std::string ProgramImage() {
  std::string image(64, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[60] = 64;
  return image + std::string("PE\0\0new program", 15);
}

const char kOldProgram[] = "old program";
const std::string kNewProgram = ProgramImage();

struct TWorkflowRow {
  const char *Name;
  const char *CurrentVersion;
  std::optional<std::string> VersionFile; // nothing: the server answers 404
  std::optional<std::string> Download;    // nothing: the server answers 404
  /// What the user does, in order: "<caption> yes|no|ok|retry|cancel" answers a box;
  /// "<caption> close+yes" asks to close the dialog while the box is up, then answers Yes;
  /// "Error unlock+retry" frees the program file before it answers Retry. "cancel" and "close"
  /// click Cancel or ask to close while the download runs.
  TLines User;
  /// The boxes, errors, starts and the end, in order.
  TLines Dialogs;
  std::string ProgramAfter;
  std::optional<std::string> DownloadAfter; // nothing: no file under the temporary name
  bool DownloadCut = false;                 // the connection drops after the body's first half
  bool ProgramLocked = false;
};
void PrintTo(const TWorkflowRow &row, std::ostream *out) { *out << row.Name; }

class UpdateWorkflow : public TransferTest, public ::testing::WithParamInterface<TWorkflowRow> {
protected:
  std::string Program() const { return PathInFolder("host.exe"); }
  std::string Download() const { return PathInFolder("host~.tmp"); }

  void Serve(const std::optional<std::string> &body, bool cut = false) {
    net.StatusCode = body ? "200" : "404";
    net.ContentLength = std::to_string(body ? body->size() : 9);
    net.Chunks.clear();
    const std::string served = body ? *body : "Not Found";
    // Two chunks where there are two bytes, so that a download can be acted on half-way.
    const size_t half = served.size() / 2;
    for (const std::string &chunk : {served.substr(0, half), served.substr(half)})
      if (!chunk.empty() && !(cut && net.Chunks.size() == 1))
        net.Chunks.push_back(chunk);
    net.ReadFailsAtEnd = cut;
  }

  // Answers the box as the next step of the row says, acting first where it says so.
  bool Answer(const std::string &caption) {
    if (User.empty()) {
      ADD_FAILURE() << "no answer for " << caption;
      return false;
    }
    const std::string step = User.front();
    User.pop_front();
    EXPECT_EQ(step.substr(0, caption.size() + 1), caption + " ");
    const std::string action = step.substr(caption.size() + 1);
    if (action == "close+yes")
      view.RequestClose();
    if (action == "unlock+retry")
      std::filesystem::remove_all(Program());
    // The offer's Yes starts the download: from here on the server serves the program.
    if (step == std::string("Run Program? yes") && !Downloading) {
      Downloading = true;
      Serve(GetParam().Download, GetParam().DownloadCut);
      if (MidwayAction())
        net.PauseAt("ReadFile", 2);
    }
    return action == "yes" || action == "retry" || action == "close+yes" ||
           action == "unlock+retry";
  }

  TUpdateDlg &Start(const std::string &currentVersion) {
    TUpdateStartup startup;
    startup.CommandLine = "upd.exe " + currentVersion + " " + Program();
    startup.ProgramFileName = "/opt/upd.exe";
    startup.ReadProfileString = [](const std::string &, const std::string &, const std::string &key,
                                   const std::string &) {
      return key == "AppTitle" ? "Foo" : "http://h/" + key;
    };
    view.Answer = [this](const std::string &caption) { return Answer(caption); };
    return form->Own<TUpdateDlg>(view, net, startup);
  }

  // A click of Cancel or a close request that the row makes while the download runs.
  const char *MidwayAction() const {
    for (const char *action : {"cancel", "close"})
      if (std::find(GetParam().User.begin(), GetParam().User.end(), action) !=
          GetParam().User.end())
        return action;
    return nullptr;
  }

  // Acts on the download while its worker is held in its second read.
  void ActMidway() {
    const char *action = MidwayAction();
    if (!action)
      return;
    ASSERT_TRUE(ui.PumpUntil([this] { return net.Paused(); }));
    ASSERT_EQ(User.front(), action);
    User.pop_front();
    if (action == std::string("cancel"))
      view.ClickCancel();
    else
      view.RequestClose();
    net.Resume();
  }

  TLines Dialogs() const {
    TLines dialogs;
    for (const std::string &line : view.Log)
      if (line.rfind("box ", 0) == 0 || line.rfind("error ", 0) == 0 || line == "end" ||
          line == "closed")
        dialogs.push_back(line);
      else if (line == "start " + Program())
        dialogs.push_back("start HOST");
    return dialogs;
  }

  std::optional<std::string> ContentIfPresent(const std::string &path) const {
    if (!std::filesystem::exists(path))
      return std::nullopt;
    return ContentOf(path);
  }

  TRecordingView view;
  std::deque<std::string> User;
  bool Downloading = false;
};

TEST_P(UpdateWorkflow, EndsAsTheUserAndTheServerDecide) {
  const TWorkflowRow &row = GetParam();
  if (row.ProgramLocked) {
    // A folder in the program's place cannot be replaced by a file.
    std::filesystem::create_directories(Program() + "/in-use");
  } else {
    WriteFile(Program(), kOldProgram);
  }
  User.assign(row.User.begin(), row.User.end());
  Serve(row.VersionFile);
  Start(row.CurrentVersion);
  ActMidway();
  ASSERT_TRUE(PumpUntilWorkersEnded());

  EXPECT_EQ(Dialogs(), row.Dialogs);
  EXPECT_TRUE(User.empty()) << "not every step was taken";
  if (!row.ProgramLocked || row.ProgramAfter == kNewProgram) {
    EXPECT_EQ(ContentIfPresent(Program()), row.ProgramAfter);
  }
  EXPECT_EQ(ContentIfPresent(Download()), row.DownloadAfter);
}

const std::string kStart = "start HOST";

INSTANTIATE_TEST_SUITE_P(
    Rows, UpdateWorkflow,
    ::testing::Values(
        TWorkflowRow{"whole_road",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "Replace? yes", "Close Program ok", "Run Program? yes"},
                     {kOffer, kReplace, kClose, kRun, kStart, "end"},
                     kNewProgram,
                     std::nullopt},
        TWorkflowRow{"no_at_the_offer",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? no"},
                     {kOffer, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"same_version",
                     "2",
                     "2",
                     kNewProgram,
                     {"Latest Version ok"},
                     {kLatest, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"nine_sorts_after_ten",
                     "9",
                     "10",
                     kNewProgram,
                     {"Latest Version ok"},
                     {kLatest, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"leading_zero_sorts_first",
                     "01",
                     "1",
                     kNewProgram,
                     {"Run Program? no"},
                     {kOffer, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"hexadecimal_ten",
                     "1",
                     "$A",
                     kNewProgram,
                     {"Run Program? no"},
                     {kOffer, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"line_end_after_the_number",
                     "1",
                     "5\r\n",
                     kNewProgram,
                     {},
                     {kTooLong, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"lone_line_feed",
                     "1",
                     "5\n",
                     kNewProgram,
                     {},
                     {NotANumber("'5'#10"), "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"not_a_number",
                     "1",
                     "ab",
                     kNewProgram,
                     {},
                     {NotANumber("'ab'"), "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"empty_version_file",
                     "1",
                     "",
                     kNewProgram,
                     {},
                     {kNoVersionFile, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"version_file_not_found",
                     "1",
                     std::nullopt,
                     kNewProgram,
                     {},
                     {kNoVersionFile, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"download_not_found",
                     "1",
                     "2",
                     std::nullopt,
                     {"Run Program? yes"},
                     {kOffer, kDownloadFailed, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"download_cut_short",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes"},
                     {kOffer, kDownloadFailed, "end"},
                     kOldProgram,
                     kNewProgram.substr(0, kNewProgram.size() / 2),
                     true},
        TWorkflowRow{"no_at_replace",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "Replace? no"},
                     {kOffer, kReplace, "end"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"empty_download",
                     "1",
                     "2",
                     "",
                     {"Run Program? yes"},
                     {kOffer, kNotAProgram, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"web_page_as_program",
                     "1",
                     "2",
                     "<html>Moved</html>",
                     {"Run Program? yes"},
                     {kOffer, kNotAProgram, "end"},
                     kOldProgram,
                     std::nullopt},
        TWorkflowRow{"cancel_answered_no",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "cancel", "Abort no", "Replace? no"},
                     {kOffer, kAbort, kReplace, "end"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"cancel_answered_yes",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "cancel", "Abort yes"},
                     {kOffer, kAbort, "end"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"close_during_the_download",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "close", "Abort yes"},
                     {kOffer, kAbort, "closed"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"close_while_replace_is_asked",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "Replace? close+yes"},
                     {kOffer, kReplace, "closed"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"locked_program_retried",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "Replace? yes", "Close Program ok", "Error retry",
                      "Error unlock+retry", "Run Program? no"},
                     {kOffer, kReplace, kClose, kReplaceFailed, kReplaceFailed, kRun, "end"},
                     kNewProgram,
                     std::nullopt,
                     false,
                     true},
        TWorkflowRow{"locked_program_given_up",
                     "1",
                     "2",
                     kNewProgram,
                     {"Run Program? yes", "Replace? yes", "Close Program ok", "Error cancel"},
                     {kOffer, kReplace, kClose, kReplaceFailed, "end"},
                     kOldProgram,
                     kNewProgram,
                     false,
                     true}),
    [](const ::testing::TestParamInfo<TWorkflowRow> &info) { return info.param.Name; });

// Each progress report moves the bar and the percentage; the close rule reads the percentage.
TEST_F(UpdateWorkflow, ShowsProgressAndLetsACloseThroughOnlyAtExactlyAHundred) {
  WriteFile(Program(), kOldProgram);
  net.PauseAt("Open(");
  TUpdateDlg &dialog = Start("1");
  const struct {
    int32_t TotalSize, Readed;
    const char *Shown;
    bool Closes;
  } rows[] = {{2000, 1000, "50", false}, {40000000, 30000000, "75", false},
              {0, 500, "0", false},      {2147483647, 2147483646, "99", false},
              {300, 400, "133", false},  {2147483647, 2147483647, "100", true}};
  for (const auto &row : rows) {
    view.Log.clear();
    dialog.DownloaderProgress(nullptr, row.TotalSize, row.Readed);
    EXPECT_EQ(view.Log,
              TLines({"bar " + std::to_string(row.TotalSize) + " " + std::to_string(row.Readed),
                      std::string("downloadStatus [Updating: ") + row.Shown + "% Done...]",
                      "status [Updating...]"}));
    view.Answer = [](const std::string &) { return false; };
    EXPECT_EQ(view.RequestClose(), row.Closes) << row.Shown;
    EXPECT_EQ(view.Log.size(), row.Closes ? 4u : 5u) << "the Abort question is asked below 100";
  }
  net.Resume();
}

} // namespace
