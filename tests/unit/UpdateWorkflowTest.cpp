// The update dialog's handlers, with the transfers answered by a scripted network and the files
// in a folder of the test's own.

#include "tests/unit/Deltas.h"
#include "tests/unit/RecordingView.h"
#include "tests/unit/TransferFixture.h"
#include "update/delta/DeltaDecoder.h"
#include "update/dialog/UpdateDlg.h"
#include "update/download/HeldDownload.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <future>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

const std::string kOffer =
    "box Run Program? [Yes! An update is available, would you like to download it?] yes/no";
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
const std::string kDownloadRefused = "error [An error occurred when trying to download an "
                                     "update.\nReason:\n\n The downloaded file is ";
const std::string kNotByPublisher =
    kDownloadRefused + "not signed by the publisher of the program.]";
const std::string kOlderVersion = kDownloadRefused + "an older version of the program.]";

constexpr uint32_t ExitCode(TInstallOutcome outcome) { return static_cast<uint32_t>(outcome); }
constexpr uint32_t kInstalled = ExitCode(TInstallOutcome::Installed);

// The smallest file that passes for a program image: "MZ", the offset 64 at byte 60, "PE\0\0",
// and the file header of an i386 executable (machine 0x14c, flags 0x0002).
std::string ProgramImage() {
  std::string image(64, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  image[60] = 64;
  return image + std::string("PE\0\0\x4c\x01", 6) + std::string(16, '\0') +
         std::string("\x02\0new program", 13);
}

const char kOldProgram[] = "old program";
const std::string kNewProgram = ProgramImage();

struct TWorkflowRow {
  const char *Name;
  /// What the user does, in order: "<caption> yes|no|ok|retry|cancel" answers a box;
  /// "<caption> close+yes" asks to close the dialog while the box is up, then answers Yes;
  /// "Error unlock+retry" frees the program file before it answers Retry.
  TLines User;
  /// The boxes, errors, starts and the end, in order.
  TLines Dialogs;
  std::string ProgramAfter;
  std::optional<std::string> DownloadAfter; // nothing: no file under the temporary name
  bool ProgramLocked = false;
  int Transfers = 2;
  TPublisherVerdict Verdict = TPublisherVerdict::Accepted; // what the publisher check answers
  /// Not empty: the program's folder refuses the download, which goes to the temporary folder;
  /// what each start of the install step ends with, in order (nothing: it did not start).
  std::vector<std::optional<uint32_t>> InstallSteps = {};
  /// The settings ask for deltas, and the server has the one for the old program.
  bool Deltas = false;
  bool ProgramUnreadable = false; // the installed program cannot be hashed
  /// While the installed program is hashed the user clicks "cancel", or asks to "close".
  std::string WhileHashed = "";
};
void PrintTo(const TWorkflowRow &row, std::ostream *out) { *out << row.Name; }

// A row whose download goes to the temporary folder, and that goes on after "Close Program".
TWorkflowRow InstallRow(const char *name, const TLines &user, const TLines &dialogs,
                        const std::string &programAfter,
                        std::vector<std::optional<uint32_t>> installSteps) {
  TWorkflowRow row{name,
                   {"Run Program? yes", "Replace? yes", "Close Program ok"},
                   {kOffer, kReplace, kClose},
                   programAfter,
                   std::nullopt};
  row.User.insert(row.User.end(), user.begin(), user.end());
  row.Dialogs.insert(row.Dialogs.end(), dialogs.begin(), dialogs.end());
  row.InstallSteps = std::move(installSteps);
  return row;
}

// The whole road, the new program not started afterwards.
TWorkflowRow WholeRoad(const char *name) {
  return {name,
          {"Run Program? yes", "Replace? yes", "Close Program ok", "Run Program? no"},
          {kOffer, kReplace, kClose, kRun, "end"},
          kNewProgram,
          std::nullopt};
}
// A row whose settings ask for deltas: the version file and the delta are fetched, or the
// version file and the whole program.
TWorkflowRow WithDeltas(TWorkflowRow row) {
  row.Deltas = true;
  return row;
}
TWorkflowRow Unreadable(TWorkflowRow row) {
  row.ProgramUnreadable = true;
  return row;
}
// A row with deltas whose user aborts while the program is hashed: nothing but the version file
// is fetched, and the dialog shows its end as endLine says.
TWorkflowRow AbortedWhileHashed(const char *name, const char *whileHashed, const char *endLine) {
  TWorkflowRow row{name,
                   {"Run Program? yes", "Abort yes"},
                   {kOffer, kAbort, endLine},
                   kOldProgram,
                   std::nullopt};
  row.Transfers = 1;
  row.Deltas = true;
  row.WhileHashed = whileHashed;
  return row;
}

// The roads through the dialog's own logic that a real window cannot steer: a box that returns
// Yes after a close went ahead, and a program file that cannot be replaced until it can. The
// end-to-end test takes updater.exe over every road.
class UpdateWorkflow : public TransferTest, public ::testing::WithParamInterface<TWorkflowRow> {
protected:
  std::string Program() const { return PathInFolder("host.exe"); }
  std::string Download() const { return PathInFolder("host~.tmp"); }
  std::string TemporaryDownload() const { return PathInFolder("upd1.tmp"); }

  void Serve(const std::string &body) {
    net.ContentLength = std::to_string(body.size());
    net.Chunks = {body};
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
    // From the offer on, the server serves the program, and the delta first where there is one.
    Serve(kNewProgram);
    if (caption == "Run Program?" && Delta) {
      net.Replies = {{"200", std::to_string(kNewProgram.size()), {}, {kNewProgram}}};
      if (!ProgramUnreadable) // the delta is asked for first
        net.Replies.push_front({"200", std::to_string(Delta->size()), {}, {*Delta}});
    }
    return action == "yes" || action == "retry" || action == "close+yes" ||
           action == "unlock+retry";
  }

  // Plays the install step, which installs the download when it says so.
  std::optional<uint32_t> InstallStep() {
    if (InstallSteps.empty())
      return std::nullopt; // started once too often: the row's dialogs tell
    const std::optional<uint32_t> exitCode = InstallSteps.front();
    InstallSteps.pop_front();
    if (exitCode == kInstalled)
      WriteFile(Program(), ContentOf(TemporaryDownload()));
    return exitCode;
  }

  TUpdateDlg &Start(const std::string &currentVersion) {
    TUpdateStartup startup;
    if (!InstallSteps.empty())
      startup.ChooseDownloadTarget = [this](const std::string &) { return TemporaryDownload(); };
    // The end-to-end rows take the install step's own judgement of the program and the proof.
    startup.AdmitInstallStep = [](const std::string &, const std::string &, bool) {
      return TInstallOutcome::Installed;
    };
    startup.CommandLine = "upd.exe " + currentVersion + " " + Program();
    startup.ProgramFileName = "/opt/upd.exe";
    startup.ReadProfileString = [this](const std::string &, const std::string &,
                                       const std::string &key, const std::string &defaultValue) {
      if (key == "AppTitle")
        return std::string("Foo");
      if (key == "DeltaUpdates")
        return std::string(Delta ? "1" : "");
      if (key == "ReleaseRecord")
        return std::string(WithRecord ? "http://h/release.txt" : "");
      return key == "VersionFile" || key == "DownloadFile" ? "http://h/" + key : defaultValue;
    };
    // Called on the decoder's worker thread: it holds copies, never the test itself.
    startup.DigestProgram =
        [program = Program(), unreadable = ProgramUnreadable, held = HashHeld,
         uiThread = std::this_thread::get_id()](const std::string &file) -> std::optional<TSha256> {
      EXPECT_EQ(file, program);
      EXPECT_NE(std::this_thread::get_id(), uiThread) << "hashed on the user-interface thread";
      if (held.valid()) // bounded: a test that never lets it go fails instead of hanging
        held.wait_for(std::chrono::seconds(30));
      if (unreadable)
        return std::nullopt;
      TSha256 digest;
      digest.fill(0xAB);
      return digest;
    };
    // Off Windows there is no SHA-256: the new program's digest is all 0xCD, any other file's 0xEE.
    startup.DigestDownload = [](const THeldDownload &download) -> std::optional<TSha256> {
      std::string content(download.Size(), '\0');
      TSha256 digest;
      digest.fill(download.ReadAt(0, &content[0], content.size()) && content == kNewProgram ? 0xCD
                                                                                            : 0xEE);
      return digest;
    };
    startup.CheckPublisher = [this](const THeldDownload &download, const std::string &program) {
      EXPECT_TRUE(download.Held());
      EXPECT_EQ(download.FileName(), InstallSteps.empty() ? Download() : TemporaryDownload());
      EXPECT_EQ(program, Program());
      return Verdict;
    };
    view.Answer = [this](const std::string &caption) { return Answer(caption); };
    view.InstallStep = [this](const std::string &) { return InstallStep(); };
    return form->Own<TUpdateDlg>(view, net, startup);
  }

  TLines Dialogs() const {
    TLines dialogs;
    for (const std::string &line : view.Log)
      if (line.rfind("box ", 0) == 0 || line.rfind("error ", 0) == 0 || line == "end" ||
          line == "closed")
        dialogs.push_back(line);
      else if (line.rfind("install ", 0) == 0)
        dialogs.push_back("install");
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
  std::deque<std::optional<uint32_t>> InstallSteps;
  TPublisherVerdict Verdict = TPublisherVerdict::Accepted;
  std::optional<std::string> Delta; // served when the settings ask for deltas
  bool ProgramUnreadable = false;
  bool WithRecord = false;           // the settings name a release record
  std::promise<void> HashRelease;    // lets a held hash end
  std::shared_future<void> HashHeld; // valid: the hash waits for HashRelease
};

TEST_P(UpdateWorkflow, EndsAsTheUserDecides) {
  const TWorkflowRow &row = GetParam();
  if (row.ProgramLocked) {
    // A folder in the program's place cannot be replaced by a file.
    std::filesystem::create_directories(Program() + "/in-use");
  } else {
    WriteFile(Program(), kOldProgram);
  }
  User.assign(row.User.begin(), row.User.end());
  InstallSteps.assign(row.InstallSteps.begin(), row.InstallSteps.end());
  Verdict = row.Verdict;
  if (row.Deltas)
    Delta = DeltaOf(kOldProgram, kNewProgram);
  ProgramUnreadable = row.ProgramUnreadable;
  if (!row.WhileHashed.empty())
    HashHeld = HashRelease.get_future().share();
  Serve("2");
  TUpdateDlg &dialog = Start("1");
  if (HashHeld.valid()) {
    ASSERT_TRUE(ui.PumpUntil([&] { return dialog.ProgramDigest.Running(); }));
    // A close that goes ahead takes the window, and the dialog with it, while the hash runs on.
    if (row.WhileHashed == "cancel")
      view.ClickCancel();
    else if (view.RequestClose())
      form.reset();
    HashRelease.set_value();
  }
  ASSERT_TRUE(PumpUntilWorkersEnded());

  EXPECT_EQ(Dialogs(), row.Dialogs);
  EXPECT_TRUE(User.empty()) << "not every step was taken";
  EXPECT_EQ(net.Count("Open("), row.Transfers);
  if (!row.ProgramLocked || row.ProgramAfter == kNewProgram) {
    EXPECT_EQ(ContentIfPresent(Program()), row.ProgramAfter);
  }
  EXPECT_EQ(ContentIfPresent(Download()), row.DownloadAfter);
  form.reset(); // the end of the program
  EXPECT_FALSE(std::filesystem::exists(TemporaryDownload())) << "left in the temporary folder";
  for (const std::string &download : {Download(), TemporaryDownload()})
    EXPECT_FALSE(std::filesystem::exists(DeltaFileOf(download))) << "a delta was left";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, UpdateWorkflow,
    ::testing::Values(
        TWorkflowRow{"whole_road",
                     {"Run Program? yes", "Replace? yes", "Close Program ok", "Run Program? yes"},
                     {kOffer, kReplace, kClose, kRun, "start HOST", "end"},
                     kNewProgram,
                     std::nullopt},
        TWorkflowRow{"closed_while_the_offer_is_up",
                     {"Run Program? close+yes", "Abort yes"},
                     {kOffer, kAbort, "closed"},
                     kOldProgram,
                     std::nullopt,
                     false,
                     1},
        TWorkflowRow{"closed_while_replace_is_asked",
                     {"Run Program? yes", "Replace? close+yes"},
                     {kOffer, kReplace, "closed"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"closed_while_told_to_close_the_program",
                     {"Run Program? yes", "Replace? yes", "Close Program close+yes"},
                     {kOffer, kReplace, kClose, "closed"},
                     kOldProgram,
                     kNewProgram},
        TWorkflowRow{"locked_program_retried",
                     {"Run Program? yes", "Replace? yes", "Close Program ok", "Error retry",
                      "Error unlock+retry", "Run Program? no"},
                     {kOffer, kReplace, kClose, kReplaceFailed, kReplaceFailed, kRun, "end"},
                     kNewProgram,
                     std::nullopt,
                     true},
        TWorkflowRow{"locked_program_given_up",
                     {"Run Program? yes", "Replace? yes", "Close Program ok", "Error cancel"},
                     {kOffer, kReplace, kClose, kReplaceFailed, "end"},
                     kOldProgram,
                     kNewProgram,
                     true},
        // A refused download goes at once: nothing is asked, the program stays as it was.
        TWorkflowRow{"download_not_by_the_publisher",
                     {"Run Program? yes"},
                     {kOffer, kNotByPublisher, "end"},
                     kOldProgram,
                     std::nullopt,
                     false,
                     2,
                     TPublisherVerdict::NotSignedByPublisher},
        TWorkflowRow{"download_older_than_the_program",
                     {"Run Program? yes"},
                     {kOffer, kOlderVersion, "end"},
                     kOldProgram,
                     std::nullopt,
                     false,
                     2,
                     TPublisherVerdict::OlderVersion},
        // A download in the temporary folder is installed by the install step, whose outcome
        // the dialog reads off its exit code; a prompt declined, an instance that did not start
        // or ended otherwise, may be retried like a program that cannot be written.
        InstallRow("install_step_declined_then_retried",
                   {"Error retry", "Error retry", "Run Program? no"},
                   {"install", kReplaceFailed, "install", kReplaceFailed, "install", kRun, "end"},
                   kNewProgram, {std::nullopt, 1, kInstalled}),
        InstallRow("install_step_refuses", {}, {"install", kOlderVersion, "end"}, kOldProgram,
                   {ExitCode(TInstallOutcome::OlderVersion)}),
        // The delta alone where the program can be hashed, on the install step's road too;
        // the end-to-end rows take every delta that fails.
        WithDeltas(WholeRoad("delta_rebuilds_the_program")),
        Unreadable(WithDeltas(WholeRoad("program_cannot_be_hashed"))),
        WithDeltas(InstallRow("delta_installed_by_the_install_step", {"Run Program? no"},
                              {"install", kRun, "end"}, kNewProgram, {kInstalled})),
        // While the program is hashed the window answers, and an abort ends the run as it does
        // elsewhere: the hash's end, which comes after, changes nothing.
        AbortedWhileHashed("cancel_while_the_program_is_hashed", "cancel", "end"),
        AbortedWhileHashed("closed_while_the_program_is_hashed", "close", "closed")),
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

// The delta's last byte is not the program's: until the program is rebuilt from it, a close asks
// first, as it does everywhere below the checked download.
TEST_F(UpdateWorkflow, ACloseAfterTheDeltasLastByteIsAskedAbout) {
  WriteFile(Program(), kOldProgram);
  Delta = DeltaOf(kOldProgram, kNewProgram);
  User = {"Run Program? yes", "Abort no", "Replace? no"};
  Serve("2");
  net.PauseAt("CloseHandle(", 4); // the delta's request, its last byte read
  TUpdateDlg &dialog = Start("1");
  ASSERT_TRUE(ui.PumpUntil([&] { return net.Paused(); }));
  ASSERT_EQ(net.Count("Open("), 2);
  ASSERT_EQ(dialog.PercentDone, 100);
  EXPECT_FALSE(view.RequestClose());
  net.Resume();
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(Dialogs(), TLines({kOffer, kAbort, kReplace, "end"}));
}

// Cancel while the program is rebuilt from its delta ends the run: the decoding stops, and
// neither the delta nor what was rebuilt of the program stays.
TEST_F(UpdateWorkflow, CancelWhileTheDeltaIsDecodedLeavesNothing) {
  // Large enough that the decoding is still running when the delta's arrival has been served.
  const std::string oldProgram = kNewProgram + std::string(8 << 20, 'o');
  WriteFile(Program(), oldProgram);
  Delta = DeltaOf(oldProgram, kNewProgram + std::string(8 << 20, 'n'));
  User = {"Run Program? yes", "Abort yes"};
  Serve("2");
  TUpdateDlg &dialog = Start("1");
  // The decoder runs once the delta is there.
  ASSERT_TRUE(ui.PumpUntil([&] {
    return dialog.DeltaDecoder.Running() && std::filesystem::exists(DeltaFileOf(Download()));
  }));
  // The first pieces of the program are written: the decoding is under way.
  while (!std::filesystem::exists(Download()) || std::filesystem::file_size(Download()) == 0)
    std::this_thread::yield();
  view.ClickCancel();
  form.reset(); // the end of the program
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(Dialogs(), TLines({kOffer, kAbort, "end"}));
  EXPECT_TRUE(ContentOf(Program()) == oldProgram);
  EXPECT_FALSE(std::filesystem::exists(Download()));
  EXPECT_FALSE(std::filesystem::exists(DeltaFileOf(Download())));
}

// The download is the record's release or nothing: hashed on a worker through a hold of its own,
// a stale delta's program gives way to the whole one. End to end, the record's other roads.
TEST_F(UpdateWorkflow, HoldsTheDownloadToTheReleaseRecord) {
  const std::string digest = "cdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcdcd";
  const TLines kWhole = {kOffer, kReplace, kClose, kRun, "end"};
  const TLines kRefused = {kOffer, kDownloadRefused + "not the release that was offered.]", "end"};
  const struct {
    const char *Name;
    std::string Sha256;
    TLines Dialogs;
    int Transfers; // the version file, the record, then a stale delta and the program
  } rows[] = {{"the release", digest, kWhole, 3},
              {"another build", std::string(64, 'a'), kRefused, 3},
              {"a stale delta", digest, kWhole, 4}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.Name);
    view.Log.clear();
    WriteFile(Program(), kOldProgram);
    WithRecord = true;
    if (row.Transfers == 4)
      Delta = DeltaOf(kOldProgram, kNewProgram + "of an earlier release");
    User = {"Run Program? yes", "Replace? yes", "Close Program ok", "Run Program? no"};
    User.resize(row.Dialogs == kWhole ? 4 : 1);
    Serve(kNewProgram);
    const std::string record = "version=2\nsize=" + std::to_string(kNewProgram.size()) +
                               "\nsha256=" + row.Sha256 + "\npublished=2030-06-01T00:00:00Z\n";
    net.Replies = {{"200", "1", {}, {"2"}}, {"200", std::to_string(record.size()), {}, {record}}};
    const int opensBefore = net.Count("Open(");
    Start("1");
    ASSERT_TRUE(PumpUntilWorkersEnded());
    EXPECT_EQ(Dialogs(), row.Dialogs);
    EXPECT_EQ(net.Count("Open(") - opensBefore, row.Transfers);
    EXPECT_EQ(ContentOf(Program()) == kNewProgram, row.Dialogs == kWhole);
    EXPECT_FALSE(std::filesystem::exists(Download())) << "a refused download was left";
  }
}

} // namespace
