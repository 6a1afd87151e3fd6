// What a host's start checks and keeps, driven through the real updater.exe: release notes that
// cannot be shown leave the offer as it was, a start with a switch checks at most once in the
// settings' interval, every program keeps its own record for the user, a release record that
// does not fit ends the check, and a staged release reaches each user on the day of their group.

#include "drivers/MessageBoxView.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WholeFile.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/WideText_win.h"
#include "tests/e2e/ScratchFolder.h"
#include "tests/e2e/UpdaterDriver.h"
#include "tests/win/LoopbackServer.h"
#include "update/dialog/UpdateOutcome.h"
#include "update/offer/Rollout.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The block of loopback addresses for this file's servers.
constexpr int kAddressBlock = 6;
// Where the user's records of the programs' checks lie, a value for each program.
const wchar_t kChecks[] = L"Software\\Veltmark\\Quintarel Updater\\Checks";
constexpr long long kHour = 3600;

const TMessageBoxView kOffer{"Run Program?",
                             "Yes! An update is available, would you like to download it?",
                             {"Yes", "No"},
                             false};

const TMessageBoxView kLatest{
    "Latest Version", "You have the latest version of the software.", {"OK"}, false};

TScriptedReply Reply(const std::string &status, const std::string &body) {
  return {RawReply(status, {"Content-Length: " + std::to_string(body.size())}, body)};
}
TScriptedReply Served(const std::string &body) { return Reply("200 OK", body); }
const TScriptedReply kNotFound = Reply("404 Not Found", "<html><body>Not here</body></html>");

DWORD Code(TUpdateOutcome outcome) { return static_cast<DWORD>(outcome); }

// One start of the updater: what it ended with, and what it asked the server for.
struct TRun {
  std::optional<DWORD> ExitCode;
  std::vector<std::string> Requests; // "GET <path>"
};

class UpdaterChecks : public ::testing::Test {
protected:
  UpdaterChecks() {
    Folder.CopyIn(UPDATER_EXE_PATH, "updater.exe");
    for (const char *program : {kHost, kOther})
      Folder.CopyIn(DEMO_HOST_V1_PATH, program);
  }
  ~UpdaterChecks() override {
    for (const char *program : {kHost, kOther})
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kChecks, WideFromUtf8(Folder.PathOf(program)).c_str());
  }

  /// Starts the updater for program as its host does, "1 "PROGRAM" SWITCH", with the settings'
  /// Lines; the server answers replies in order. Where box is given, it must appear (a message
  /// box, or the offer with notes), and is answered with its last button: No, or OK. The host
  /// names its program through a second drive letter where onSecondDrive says so.
  TRun Run(const char *program, const std::string &startSwitch, std::vector<TScriptedReply> replies,
           const std::optional<TMessageBoxView> &box = {}, bool onSecondDrive = false) {
    const std::string address = NextServerAddress(kAddressBlock);
    TLoopbackServer server(address, std::move(replies));
    std::vector<std::string> settings = UsableSettings(address);
    for (const std::string &line : Lines) { // the notes and the record lie beside the version file
      const size_t name = line.find('=') + 1;
      settings.push_back(line.rfind("Release", 0) == 0
                             ? line.substr(0, name) + "http://" + address + "/updates/" +
                                   line.substr(name)
                             : line);
    }
    Folder.WriteFile("updater.ini", Settings(settings));
    const std::string path =
        onSecondDrive ? Folder.PathOnSecondDrive(program) : Folder.PathOf(program);
    TUpdaterProcess updater(Folder.PathOf("updater.exe"), "1 \"" + path + "\"" + startSwitch);
    if (box) {
      const HWND shown = WaitForTopLevelWindow(updater.Id(), [](HWND window) {
        return IsVisibleDialogBox(window) ||
               (IsWindowVisible(window) && WindowClassName(window) == "TOfferDlg");
      });
      EXPECT_NE(shown, nullptr) << "no box";
      if (shown) {
        ExpectMessageBox(shown, *box);
        EXPECT_TRUE(ClickButton(shown, box->Buttons.back()));
      }
    }
    TRun run{updater.WaitForExitCode(), {}};
    for (const std::string &request : server.Requests())
      run.Requests.push_back(request.substr(0, request.find(" HTTP/")));
    return run;
  }

  std::wstring ValueName(const char *program) const { return WideFromUtf8(Folder.PathOf(program)); }
  /// The record that the updater keeps for program, as stored; "" when it keeps none.
  std::string Record(const char *program) const {
    wchar_t text[128] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, kChecks, ValueName(program).c_str(), RRF_RT_REG_SZ, nullptr,
                 text, &size);
    return Utf8FromWide(std::wstring(text));
  }
  /// Leaves record as the record for program, a value of type.
  void Plant(const char *program, const std::string &record, DWORD type = REG_SZ) const {
    const std::wstring text = WideFromUtf8(record);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kChecks, ValueName(program).c_str(), type,
                              text.c_str(), static_cast<DWORD>((text.size() + 1) * 2)),
              ERROR_SUCCESS);
  }

  static constexpr const char *kHost = "Host App.exe";
  static constexpr const char *kOther = "Other.exe"; // a second program with the same updater
  TScratchFolder Folder;
  std::vector<std::string> Lines; // the settings besides the title and the URLs
};

const std::string kVersion = "GET /updates/version.txt";
const std::string kNotes = "GET /updates/notes.txt";
const std::string kNotesSignature = "GET /updates/notes.txt.sig";

// Notes that are missing, too long, not UTF-8, or not signed with the publisher's key are as if
// there were none: the offer is today's box, and the update goes on as the user answers it.
// Notes signed with the key are shown.
struct TNotesRow {
  const char *Name;
  std::vector<TScriptedReply> Notes; // the replies to the notes and their signature
  std::string PublicKey = "";        // "": the settings name none
  bool Shown = false;
};
void PrintTo(const TNotesRow &row, std::ostream *out) { *out << row.Name; }

class ReleaseNotesOffer : public UpdaterChecks, public ::testing::WithParamInterface<TNotesRow> {};

TEST_P(ReleaseNotesOffer, IsTodaysBoxUnlessTheNotesCanBeShown) {
  const TNotesRow &row = GetParam();
  Lines = {"ReleaseNotes=notes.txt"};
  std::vector<std::string> asked = {kVersion, kNotes};
  if (!row.PublicKey.empty()) {
    Lines.push_back("PublicKey=" + ReadWholeFile(SIGNED_PROGRAMS + row.PublicKey));
    asked.push_back(kNotesSignature);
  }
  std::vector<TScriptedReply> replies = {Served("2")};
  replies.insert(replies.end(), row.Notes.begin(), row.Notes.end());
  TMessageBoxView offer = kOffer;
  if (row.Shown)
    offer.Buttons.insert(offer.Buttons.begin(), "Skip This Version");
  const TRun run = Run(kHost, " /quiet", replies, offer);
  EXPECT_EQ(run.ExitCode, Code(TUpdateOutcome::Declined));
  EXPECT_EQ(run.Requests, asked);
}

const std::string kSignedNotes = ReadWholeFile(SIGNED_PROGRAMS "notes.txt");

INSTANTIATE_TEST_SUITE_P(
    Rows, ReleaseNotesOffer,
    ::testing::Values(TNotesRow{"missing", {kNotFound}},
                      TNotesRow{"too_long", {Served(std::string(64 * 1024, 'a') + "\n")}},
                      TNotesRow{"not_utf8", {Served("Caf\xE9 cr\xE8me: the new menu\r\n")}},
                      TNotesRow{"signed_with_another_key",
                                {Served(kSignedNotes),
                                 Served(ReadWholeFile(SIGNED_PROGRAMS "notes.another-p256.sig"))},
                                "p256.pub"},
                      TNotesRow{"signature_missing", {Served(kSignedNotes), kNotFound}, "p256.pub"},
                      TNotesRow{"changed_after_signing",
                                {Served(kSignedNotes + "Also: install the helper."),
                                 Served(ReadWholeFile(SIGNED_PROGRAMS "notes.p256.sig"))},
                                "p256.pub"},
                      TNotesRow{"signed",
                                {Served(kSignedNotes),
                                 Served(ReadWholeFile(SIGNED_PROGRAMS "notes.p256.sig"))},
                                "p256.pub",
                                true}),
    [](const ::testing::TestParamInfo<TNotesRow> &info) { return info.param.Name; });

// Within the interval a quiet start asks nothing and ends with 0; the time counts from a check
// that reached the server, and a record from the future, as a clock set back leaves it, proves
// nothing, nor does a value of another type. A program has one record however its host names
// it. The user's own check always asks the server.
TEST_F(UpdaterChecks, QuietStartChecksOnceInTheInterval) {
  Lines = {"CheckInterval=24"};
  const TRun failed = Run(kHost, " /quiet", {kNotFound});
  EXPECT_EQ(failed.ExitCode, Code(TUpdateOutcome::CheckFailed));
  EXPECT_EQ(Record(kHost), "") << "a check that failed started the interval";

  const struct {
    const char *Name;
    std::optional<long long> CheckedAgo; // planted before the start; nothing: as the last left it
    const char *Switch;
    std::vector<std::string> Requests;
    DWORD Type = REG_SZ;        // of the value planted
    bool OnSecondDrive = false; // the host names its program through a second drive letter
  } starts[] = {{"first", std::nullopt, " /quiet", {kVersion}},
                {"second, within the interval", std::nullopt, " /quiet", {}},
                {"through a second drive letter", std::nullopt, " /quiet", {}, REG_SZ, true},
                {"automatic, within it", std::nullopt, " /auto", {}},
                {"a day ago", 24 * kHour, " /quiet", {kVersion}},
                {"an hour ago", kHour, " /quiet", {}},
                {"an hour ago, as expandable text", kHour, " /quiet", {kVersion}, REG_EXPAND_SZ},
                {"clock set back", -kHour, " /quiet", {kVersion}}};
  for (const auto &start : starts) {
    SCOPED_TRACE(start.Name);
    if (start.CheckedAgo)
      Plant(kHost, "checked=" + std::to_string(std::time(nullptr) - *start.CheckedAgo) + "\n",
            start.Type);
    const TRun run = Run(kHost, start.Switch, {Served("1")}, {}, start.OnSecondDrive);
    EXPECT_EQ(run.ExitCode, Code(TUpdateOutcome::UpToDate));
    EXPECT_EQ(run.Requests, start.Requests);
    EXPECT_EQ(Record(kHost).rfind("checked=", 0), 0u);
  }
  // The other program's record is its own; the user's own check is never held back.
  EXPECT_EQ(Run(kOther, " /quiet", {Served("1")}).Requests, std::vector<std::string>{kVersion});
  const TRun asked = Run(kHost, "", {Served("1")}, kLatest);
  EXPECT_EQ(asked.ExitCode, Code(TUpdateOutcome::UpToDate));
  EXPECT_EQ(asked.Requests, std::vector<std::string>{kVersion});
}

// A version skipped is not offered to a host's start, without a request for the notes, nor
// installed by an automatic one; it is offered for another program that shares the updater.
TEST_F(UpdaterChecks, EachProgramKeepsItsOwnSkippedVersion) {
  Plant(kHost, "skipped=2\n");
  Lines = {"ReleaseNotes=notes.txt"};
  for (const char *startSwitch : {" /quiet", " /auto"}) {
    const TRun host = Run(kHost, startSwitch, {Served("2")});
    EXPECT_EQ(host.ExitCode, Code(TUpdateOutcome::Declined)) << startSwitch;
    EXPECT_EQ(host.Requests, std::vector<std::string>{kVersion}) << startSwitch;
  }
  const TRun other = Run(kOther, " /quiet", {Served("2"), kNotFound}, kOffer);
  EXPECT_EQ(other.ExitCode, Code(TUpdateOutcome::Declined));
  EXPECT_EQ(other.Requests, (std::vector<std::string>{kVersion, kNotes}));
  EXPECT_EQ(Record(kOther), "");
}

const std::string kRecord = "GET /updates/record.txt";
const std::string kRecordSignature = "GET /updates/record.txt.sig";
constexpr long long kDay = 24 * kHour;
constexpr long long k2030 = 1893456000; // 2030-01-01, long after this machine's clock
const char kPublished2030[] = "2030-01-01T00:00:00Z";
const char kPublished2020[] = "2020-01-01T00:00:00Z";

// A record of version 2, published at published, with more lines after.
std::string RecordText(const char *published, const std::string &more = "",
                       const char *version = "2") {
  return std::string("version=") + version + "\nsize=291840\nsha256=" + std::string(64, 'a') +
         "\npublished=" + published + "\n" + more;
}

// A record that does not fit, or that under the key p256 is not signed with it, ends the check
// as failed before anything else is asked for: the user's own start says why, a host's start
// (with the row's switch) shows nothing and ends with 3. One signed with it goes on to the offer.
struct TRecordRow {
  const char *Name;
  std::vector<TScriptedReply> Record; // the replies to the record and, under the key, its signature
  const char *Switch;
  bool Signed = false; // the settings name the publisher's key p256
  bool Usable = false;
};
void PrintTo(const TRecordRow &row, std::ostream *out) { *out << row.Name; }

class ReleaseRecordCheck : public UpdaterChecks,
                           public ::testing::WithParamInterface<TRecordRow> {};

TEST_P(ReleaseRecordCheck, GoesOnOnlyWithTheRecordOfTheOfferedRelease) {
  const TRecordRow &row = GetParam();
  Lines = {"ReleaseRecord=record.txt"};
  std::vector<std::string> asked = {kVersion, kRecord};
  if (row.Signed) {
    Lines.push_back("PublicKey=" + ReadWholeFile(SIGNED_PROGRAMS "p256.pub"));
    asked.push_back(kRecordSignature);
  }
  std::vector<TScriptedReply> replies = {Served("2")};
  replies.insert(replies.end(), row.Record.begin(), row.Record.end());
  for (const std::string startSwitch : {"", row.Switch}) {
    SCOPED_TRACE(startSwitch);
    const TMessageBoxView box =
        row.Usable ? kOffer
                   : ErrorMessageView("An error occured when trying to check for an update.\n"
                                      "Reason:\n\n The record of the release that is offered is "
                                      "missing, damaged or not the publisher's.");
    const TRun run = Run(kHost, startSwitch, replies,
                         startSwitch.empty() || row.Usable ? std::optional(box) : std::nullopt);
    EXPECT_EQ(run.Requests, asked);
    EXPECT_EQ(run.ExitCode, Code(startSwitch.empty() ? TUpdateOutcome::UpToDate
                                 : row.Usable        ? TUpdateOutcome::Declined
                                                     : TUpdateOutcome::CheckFailed));
  }
}

const std::string kSignedRecord = ReadWholeFile(SIGNED_PROGRAMS "record.txt");

INSTANTIATE_TEST_SUITE_P(
    Rows, ReleaseRecordCheck,
    ::testing::Values(
        TRecordRow{"missing", {kNotFound}, " /quiet"},
        TRecordRow{"too_long",
                   {Served(RecordText(kPublished2030, "#" + std::string(4096, 'x')))},
                   " /auto"},
        TRecordRow{"not_utf8", {Served(RecordText(kPublished2030, "# caf\xE9\n"))}, " /quiet"},
        TRecordRow{
            "malformed", {Served(RecordText(kPublished2030, "rollout-days=366\n"))}, " /auto"},
        TRecordRow{"of_another_version", {Served(RecordText(kPublished2030, "", "3"))}, " /quiet"},
        TRecordRow{"unsigned", {Served(kSignedRecord), kNotFound}, " /auto", true},
        TRecordRow{"signature_of_another_text",
                   {Served(kSignedRecord), Served(ReadWholeFile(SIGNED_PROGRAMS "notes.p256.sig"))},
                   " /quiet",
                   true},
        TRecordRow{
            "signed",
            {Served(kSignedRecord), Served(ReadWholeFile(SIGNED_PROGRAMS "record.p256.sig"))},
            " /quiet",
            true,
            true}),
    [](const ::testing::TestParamInfo<TRecordRow> &info) { return info.param.Name; });

// "Date: Tue, 01 Jan 2030 00:00:00 GMT" for seconds since 1970.
std::string DateHeader(long long seconds) {
  const std::time_t time = seconds;
  char text[64] = {};
  std::strftime(text, sizeof text, "Date: %a, %d %b %Y %H:%M:%S GMT", std::gmtime(&time));
  return text;
}

// A draw that places its user in group for version 2, as the updater stores it.
std::string DrawOfGroup(uint32_t group) {
  uint64_t draw = 0;
  while (RolloutGroupOf(draw, "2") != group)
    ++draw;
  char text[32];
  std::snprintf(text, sizeof text, "draw=%016" PRIx64 "\n", draw);
  return text;
}

// A release staged over 100 days reaches group g on day g, by the clock of the server that
// serves its record (with the Age a cache added), whatever this machine's clock says; by this
// machine's clock only when the reply has no Date. A host's start waits for its day and ends as
// up to date, asking for nothing more; the user's own start gets the release at once. A halted
// release reaches nobody. The user's draw stays as it was.
TEST_F(UpdaterChecks, StagedReleaseReachesEachGroupOnItsDay) {
  Lines = {"ReleaseRecord=record.txt"};
  const struct {
    const char *Name;
    uint32_t Group;
    std::vector<std::string> Headers; // of the record's reply
    const char *Switch;
    bool Offered;
    std::string Record = RecordText(kPublished2030, "rollout-days=100\n");
  } starts[] = {
      // Days in 2030 by the server's clock, years ahead of this machine's.
      {"group 0 on the day of publication", 0, {DateHeader(k2030)}, " /quiet", true},
      {"group 10, an hour early", 10, {DateHeader(k2030 + 10 * kDay - kHour)}, " /quiet", false},
      {"group 10, on its day", 10, {DateHeader(k2030 + 10 * kDay)}, " /quiet", true},
      {"group 10 an hour early, an hour in a cache",
       10,
       {DateHeader(k2030 + 10 * kDay - kHour), "Age: 3600"},
       " /quiet",
       true},
      {"group 25, a day early", 25, {DateHeader(k2030 + 24 * kDay)}, " /auto", false},
      {"group 25, on its day", 25, {DateHeader(k2030 + 25 * kDay)}, " /quiet", true},
      {"group 50, a day early", 50, {DateHeader(k2030 + 49 * kDay)}, " /quiet", false},
      {"group 50, asked by the user", 50, {DateHeader(k2030 + 49 * kDay)}, "", true},
      {"group 75, a day late", 75, {DateHeader(k2030 + 76 * kDay)}, " /quiet", true},
      {"group 90, an hour early", 90, {DateHeader(k2030 + 90 * kDay - kHour)}, " /auto", false},
      {"group 99, an hour early", 99, {DateHeader(k2030 + 99 * kDay - kHour)}, " /quiet", false},
      {"group 99, on its day", 99, {DateHeader(k2030 + 99 * kDay)}, " /quiet", true},
      {"halted",
       0,
       {DateHeader(k2030 + 200 * kDay)},
       " /quiet",
       false,
       RecordText(kPublished2030, "rollout-days=100\nhalted=1\n")},
      // Published long ago by this machine's clock, but not yet by the server's.
      {"group 0, published tomorrow by the server",
       0,
       {DateHeader(1577836800 - kDay)},
       " /quiet",
       false,
       RecordText(kPublished2020, "rollout-days=100\n")},
      {"group 99, no Date, long ago by this machine",
       99,
       {},
       " /quiet",
       true,
       RecordText(kPublished2020, "rollout-days=100\n")},
      {"group 0, no Date, to come by this machine", 0, {}, " /quiet", false}};
  for (const auto &start : starts) {
    SCOPED_TRACE(start.Name);
    const std::string draw = DrawOfGroup(start.Group);
    Plant(kHost, draw);
    std::vector<std::string> headers = start.Headers;
    headers.push_back("Content-Length: " + std::to_string(start.Record.size()));
    const TRun run =
        Run(kHost, start.Switch, {Served("2"), {RawReply("200 OK", headers, start.Record)}},
            start.Offered ? std::optional(kOffer) : std::nullopt);
    EXPECT_EQ(run.ExitCode, Code(start.Offered && *start.Switch ? TUpdateOutcome::Declined
                                                                : TUpdateOutcome::UpToDate));
    EXPECT_EQ(run.Requests, (std::vector<std::string>{kVersion, kRecord}));
    EXPECT_EQ(Record(kHost), draw);
  }
  // The user's own start is told that there is nothing to install.
  const TRun halted =
      Run(kHost, "", {Served("2"), Served(RecordText(kPublished2030, "halted=1\n"))}, kLatest);
  EXPECT_EQ(halted.ExitCode, Code(TUpdateOutcome::UpToDate));
  // Nothing newer: the record is not asked for.
  EXPECT_EQ(Run(kHost, " /quiet", {Served("1")}).Requests, std::vector<std::string>{kVersion});
}

} // namespace
