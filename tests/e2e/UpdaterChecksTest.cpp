// What a host's start checks and keeps, driven through the real updater.exe: release notes that
// cannot be shown leave the offer as it was, a start with a switch checks at most once in the
// settings' interval, each program keeps its own record, and the release record rules the offer.

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
    for (const std::string &line : Lines)
      settings.push_back(
          line.rfind("Release", 0) == 0
              ? std::string(line).insert(line.find('=') + 1, "http://" + address + "/updates/")
              : line);
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
constexpr long long kDay = 24 * kHour, k2020 = 1577836800, k2030 = 1893456000; // new year's days
// Seconds since 1970 as strftime writes them in format, in UTC.
std::string UtcText(const char *format, long long seconds) {
  const std::time_t time = seconds;
  char text[64] = {};
  std::strftime(text, sizeof text, format, std::gmtime(&time));
  return text;
}
std::string DateHeader(long long at) { return UtcText("Date: %a, %d %b %Y %H:%M:%S GMT", at); }
// A record of version, published at published, with more lines after.
std::string RecordText(const std::string &more, long long published = k2030, char version = '2') {
  return std::string("version=") + version + "\nsize=291840\nsha256=" + std::string(64, 'a') +
         "\npublished=" + UtcText("%Y-%m-%dT%H:%M:%SZ", published) + "\n" + more;
}
TScriptedReply FileReply(std::string file) { return Served(ReadWholeFile(SIGNED_PROGRAMS + file)); }

// A record that does not fit, or is not signed with the key named, ends the check before anything
// more is asked for: the user's start says why, a host's ends with 3. A signed one is offered.
TEST_F(UpdaterChecks, OnlyTheRecordOfTheOfferedReleaseLetsTheCheckGoOn) {
  const std::optional<TMessageBoxView> unfit = ErrorMessageView(
      "An error occured when trying to check for an update.\nReason:\n\n The record "
      "of the release that is offered is missing, damaged or not the publisher's.");
  const std::string requests[] = {kVersion, kRecord, kRecord + ".sig"};
  const struct {
    const char *Name;
    const char *Switch;
    std::vector<TScriptedReply> Record; // to the record and, under the key, its signature
    bool Usable = false;
  } rows[] = {
      {"missing", " /quiet", {kNotFound}},
      {"too long", " /auto", {Served(RecordText("#" + std::string(4096, 'x')))}},
      {"not UTF-8", " /quiet", {Served(RecordText("# caf\xE9\n"))}},
      {"malformed", " /auto", {Served(RecordText("rollout-days=366\n"))}},
      {"of another version", " /quiet", {Served(RecordText("", k2030, '3'))}},
      {"unsigned", " /auto", {FileReply("record.txt"), kNotFound}},
      {"the notes' signature", " /quiet", {FileReply("record.txt"), FileReply("notes.p256.sig")}},
      {"signed", " /quiet", {FileReply("record.txt"), FileReply("record.p256.sig")}, true},
  };
  for (const auto &row : rows) {
    Lines = {"ReleaseRecord=record.txt"};
    if (row.Record.size() > 1) // the record's signature is served: the settings name its key
      Lines.push_back("PublicKey=" + ReadWholeFile(SIGNED_PROGRAMS "p256.pub"));
    const std::vector<std::string> asked(requests, requests + 1 + row.Record.size()); // each once
    std::vector<TScriptedReply> replies = {Served("2")};
    replies.insert(replies.end(), row.Record.begin(), row.Record.end());
    const std::optional<TMessageBoxView> box = row.Usable ? kOffer : unfit;
    for (const std::string startSwitch : {"", row.Switch}) {
      SCOPED_TRACE(row.Name + startSwitch);
      const TRun run =
          Run(kHost, startSwitch, replies, startSwitch.empty() || row.Usable ? box : std::nullopt);
      EXPECT_EQ(run.Requests, asked);
      EXPECT_EQ(run.ExitCode, Code(startSwitch.empty() ? TUpdateOutcome::UpToDate
                                   : row.Usable        ? TUpdateOutcome::Declined
                                                       : TUpdateOutcome::CheckFailed));
    }
  }
}

// A release staged over 100 days reaches group g on day g by the Date (plus any Age) of the
// record's reply, whatever this machine's clock says (it counts only without a Date); a host's
// start waits, asking for nothing more, the user's gets it at once; a halted release reaches none.
TEST_F(UpdaterChecks, StagedReleaseReachesEachGroupOnItsDay) {
  Lines = {"ReleaseRecord=record.txt"};
  const std::string stagedIn2020 = RecordText("rollout-days=100\n", k2020);
  const struct {
    uint32_t Group;
    const char *Switch;
    std::vector<std::string> Headers; // of the record's reply besides its length
    bool Offered;
    std::string Record = RecordText("rollout-days=100\n");
  } starts[] = {
      {0, " /quiet", {DateHeader(k2030)}, true}, // on the day of publication
      {10, " /quiet", {DateHeader(k2030 + 10 * kDay - kHour), "Age: 3600"}, true}, // from a cache
      {25, " /auto", {DateHeader(k2030 + 24 * kDay)}, false},                      // a day early
      {25, " /quiet", {DateHeader(k2030 + 25 * kDay)}, true},
      {50, "", {DateHeader(k2030 + 49 * kDay)}, true},        // the user's own start, a day early
      {75, " /quiet", {DateHeader(k2030 + 76 * kDay)}, true}, // a day late
      {99, " /quiet", {DateHeader(k2030 + 99 * kDay - kHour)}, false}, // an hour early
      {99, " /quiet", {DateHeader(k2030 + 99 * kDay)}, true},
      {0, " /quiet", {DateHeader(k2030 + 200 * kDay)}, false, RecordText("halted=1\n")},
      {0, "", {DateHeader(k2030 + 200 * kDay)}, false, RecordText("halted=1\n")},
      {0, " /quiet", {DateHeader(k2020 - kDay)}, false, stagedIn2020}, // to come by the server
      {99, " /quiet", {}, true, stagedIn2020}, // no Date: by this machine's clock, long ago
      {0, " /quiet", {}, false},               // and still to come
  };
  for (const auto &start : starts) {
    SCOPED_TRACE(std::to_string(&start - starts));
    unsigned long long drawn = 0; // a draw that places the user in the row's group for version 2
    while (RolloutGroupOf(drawn, "2") != start.Group)
      ++drawn;
    char draw[32];
    std::snprintf(draw, sizeof draw, "draw=%016llx\n", drawn);
    Plant(kHost, draw);
    std::vector<std::string> headers = start.Headers;
    headers.push_back("Content-Length: " + std::to_string(start.Record.size()));
    const TRun run =
        Run(kHost, start.Switch, {Served("2"), {RawReply("200 OK", headers, start.Record)}},
            start.Offered   ? std::optional(kOffer)
            : *start.Switch ? std::nullopt
                            : std::optional(kLatest));
    EXPECT_EQ(run.ExitCode, Code(start.Offered && *start.Switch ? TUpdateOutcome::Declined
                                                                : TUpdateOutcome::UpToDate));
    EXPECT_EQ(run.Requests, (std::vector<std::string>{kVersion, kRecord}));
    EXPECT_EQ(Record(kHost), draw);
  }
  // Nothing newer: the record is not asked for.
  EXPECT_EQ(Run(kHost, " /quiet", {Served("1")}).Requests, std::vector<std::string>{kVersion});
}

} // namespace
