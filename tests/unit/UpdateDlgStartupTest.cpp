#include "update/dialog/UpdateDlg.h"

#include "tests/unit/RecordingView.h"
#include "tests/unit/TransferFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

const char kNotEnoughParameters[] =
    "There are not enough parameters for the updater to continue.\nQuintarel cannot be run "
    "directly.\nIt must be invoked with certian parameters.";
const char kSettingsMissing[] = "The data file containing the update information has been "
                                "corrupted or is missing. Cannot continue.";

class UpdateDlgStartup : public TransferTest {
protected:
  UpdateDlgStartup() {
    net.ContentLength = "1";
    net.Chunks = {"2"};
  }

  // Starts the dialog with the command line given and the settings file D:\Tools\upd.ini
  // holding the keys of Settings (a key that is absent reads as its default).
  TUpdateDlg &Start(const std::string &commandLine) {
    TUpdateStartup startup;
    startup.CommandLine = commandLine;
    startup.ProgramFileName = "D:\\Tools\\upd.exe";
    startup.ReadProfileString = [this](const std::string &file, const std::string &section,
                                       const std::string &key, const std::string &defaultValue) {
      Reads.push_back(file + " [" + section + "] " + key + " (" + defaultValue + ")");
      const auto value = Settings.find(key);
      return value == Settings.end() ? defaultValue : value->second;
    };
    return form->Own<TUpdateDlg>(view, net, startup);
  }

  std::map<std::string, std::string> Settings = {
      {"AppTitle", "Foo"}, {"VersionFile", "http://h/v.txt"}, {"DownloadFile", "http://h/new.exe"}};
  TLines Reads;
  TRecordingView view;
};

TEST_F(UpdateDlgStartup, FewerThanTwoParametersEndItBeforeTheSettingsAreRead) {
  for (const char *commandLine : {"upd.exe", "upd.exe 1", "\"C:\\My Tools\\upd.exe\" 1 \"\"",
                                  "upd.exe \"\" 1", "upd.exe   \t "}) {
    view.Log.clear();
    const TUpdateDlg &dialog = Start(commandLine);
    EXPECT_EQ(view.Log, TLines({std::string("error [") + kNotEnoughParameters + "]", "end"}))
        << commandLine;
    EXPECT_EQ(dialog.UpdaterTitle, "") << commandLine;
  }
  EXPECT_TRUE(Reads.empty());
  EXPECT_EQ(net.Calls(), TLines());
}

TEST_F(UpdateDlgStartup, ReadsTheSettingsFileBesideItsOwnProgram) {
  Start("upd.exe 1 C:\\Apps\\Host.exe");
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(Reads, TLines({"D:\\Tools\\upd.ini [Updater] AppTitle ()",
                           "D:\\Tools\\upd.ini [Updater] VersionFile (null)",
                           "D:\\Tools\\upd.ini [Updater] DownloadFile (null)",
                           "D:\\Tools\\upd.ini [Updater] Timeout ()",
                           "D:\\Tools\\upd.ini [Updater] PublicKey ()",
                           "D:\\Tools\\upd.ini [Updater] DeltaUpdates ()",
                           "D:\\Tools\\upd.ini [Updater] ReleaseNotes ()",
                           "D:\\Tools\\upd.ini [Updater] ReleaseRecord ()",
                           "D:\\Tools\\upd.ini [Updater] CheckInterval ()"}));
}

TEST_F(UpdateDlgStartup, WiresTheTransfersAndStartsTheVersionCheck) {
  TUpdateDlg &dialog = Start("upd.exe 1 \"C:\\Program Files\\Host.new.exe\" ignored too");
  EXPECT_EQ(view.Log, TLines({"title [Foo Updater...]", "status [Checking for update...]"}));
  EXPECT_EQ(dialog.UpdaterTitle, "Foo Updater...");
  EXPECT_EQ(dialog.PercentDone, 0);

  EXPECT_EQ(dialog.CheckVersion.Agent, "Foo Updater...");
  EXPECT_EQ(dialog.CheckVersion.URL, "http://h/v.txt");
  EXPECT_EQ(dialog.CheckVersion.AcceptTypes, "*/*");
  EXPECT_FALSE(dialog.CheckVersion.BinaryData);
  EXPECT_FALSE(dialog.CheckVersion.UseCache);
  EXPECT_FALSE(dialog.CheckVersion.WaitThread);

  EXPECT_EQ(dialog.Downloader.Agent, "Foo Updater...");
  EXPECT_EQ(dialog.Downloader.URL, "http://h/new.exe");
  EXPECT_EQ(dialog.Downloader.FileName, "C:\\Program Files\\Host.new~.tmp");
  EXPECT_EQ(dialog.Downloader.AcceptTypes, "*/*");
  EXPECT_TRUE(dialog.Downloader.BinaryData);
  EXPECT_FALSE(dialog.Downloader.UseCache);
  EXPECT_FALSE(dialog.Downloader.WaitThread);

  EXPECT_EQ(dialog.DownloadSignature.Agent, "Foo Updater...");
  EXPECT_EQ(dialog.DownloadSignature.URL, "http://h/new.exe.sig");
  EXPECT_TRUE(dialog.DownloadSignature.BinaryData);
  EXPECT_FALSE(dialog.DownloadSignature.UseCache);

  ASSERT_TRUE(PumpUntilWorkersEnded());
  const TLines calls = net.Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "Open(\"Foo Updater...\", 0, null, null, 0)");
  EXPECT_EQ(calls[1], "Connect(session, \"h\", 80, \"\", \"\", 3, 0, 0)");
  ASSERT_GE(calls.size(), 6u);
  EXPECT_EQ(TLines(calls.begin() + 2, calls.begin() + 5),
            TLines({"SetOption(connection, 2, 60000)", "SetOption(connection, 5, 60000)",
                    "SetOption(connection, 6, 60000)"}))
      << "a stall ends after the default 60 s";
  EXPECT_EQ(calls[5], "OpenRequest(connection, \"GET\", \"/v.txt\", \"HTTP/1.0\", \"\", [\"*/*\"], "
                      "0x80000000, 0)");
  EXPECT_EQ(net.Count("Open("), 1) << "only the version check runs";
}

TEST_F(UpdateDlgStartup, AMissingTitleLeavesTheLeadingBlank) {
  Settings.erase("AppTitle");
  const TUpdateDlg &dialog = Start("upd.exe 1 C:\\Apps\\Host");
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(dialog.UpdaterTitle, " Updater...");
  EXPECT_EQ(dialog.CheckVersion.Agent, " Updater...");
  EXPECT_EQ(dialog.Downloader.FileName, "C:\\Apps\\Host~.tmp");
}

TEST_F(UpdateDlgStartup, AMissingOrNullUrlEndsItAfterTheTitleIsSet) {
  const std::vector<std::map<std::string, std::string>> broken = {
      {},
      {{"AppTitle", "Foo"}, {"DownloadFile", "http://h/new.exe"}},
      {{"AppTitle", "Foo"}, {"VersionFile", "http://h/v.txt"}},
      {{"AppTitle", "Foo"}, {"VersionFile", "null"}, {"DownloadFile", "http://h/new.exe"}},
      {{"AppTitle", "Foo"}, {"VersionFile", "http://h/v.txt"}, {"DownloadFile", "null"}}};
  for (const auto &settings : broken) {
    Settings = settings;
    view.Log.clear();
    Start("upd.exe 1 C:\\Apps\\Host.exe");
    const std::string title = settings.count("AppTitle") ? "Foo Updater..." : " Updater...";
    EXPECT_EQ(view.Log, TLines({"title [" + title + "]",
                                std::string("error [") + kSettingsMissing + "]", "end"}));
  }
  EXPECT_EQ(net.Calls(), TLines());
}

// A timeout is a whole number of seconds from 1 to 3600, and no value may be longer than 2047
// characters: anything else would make the updater do what the publisher did not write.
TEST_F(UpdateDlgStartup, SettingsThatCannotMeanWhatTheySayEndItBeforeAnythingIsFetched) {
  const std::string longest = "http://h/" + std::string(2038, 'x');
  // Characters are counted as the platform counts them, in UTF-16 units, not bytes.
  const auto repeated = [](const std::string &character, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i)
      text += character;
    return text;
  };
  // A key, its value, and the seconds of timeout the transfers get; 0: the settings message.
  const std::vector<std::tuple<std::string, std::string, uint32_t>> rows = {
      {"Timeout", "", 60},
      {"Timeout", "1", 1},
      {"Timeout", "3600", 3600},
      {"Timeout", "0030", 30},
      {"VersionFile", longest, 60},
      {"AppTitle", std::string(2047, 'a'), 60},
      {"AppTitle", repeated("Ж", 2047), 60},
      {"AppTitle", repeated("升", 2047), 60},
      {"AppTitle", repeated("😀", 1023) + "a", 60},
      {"Timeout", "0", 0},
      {"Timeout", "3601", 0},
      {"Timeout", "-5", 0},
      {"Timeout", "+5", 0},
      {"Timeout", "5s", 0},
      {"Timeout", "$A", 0},
      {"Timeout", " 5", 0},
      {"Timeout", "99999999999", 0},
      {"VersionFile", longest + "x", 0},
      {"DownloadFile", longest + "x", 0},
      {"AppTitle", std::string(2048, 'a'), 0},
      {"AppTitle", repeated("Ж", 2048), 0},
      {"AppTitle", repeated("😀", 1024), 0},
      // Nothing verifies here, so every key is refused rather than ignored.
      {"PublicKey", "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQc=", 0},
      {"DeltaUpdates", "1", 60},
      {"DeltaUpdates", "0", 60},
      {"DeltaUpdates", "yes", 0},
      {"DeltaUpdates", "2", 0},
      {"DeltaUpdates", " 1", 0},
      {"ReleaseNotes", longest, 60},
      {"ReleaseNotes", longest + "x", 0},
      {"ReleaseRecord", longest + "x", 0},
      // Whole hours up to a year; 0 or none: every start checks.
      {"CheckInterval", "0", 60},
      {"CheckInterval", "8784", 60},
      {"CheckInterval", "8785", 0},
      {"CheckInterval", "1.5", 0},
      {"CheckInterval", "-1", 0}};
  for (const auto &[key, value, seconds] : rows) {
    SCOPED_TRACE(key + "=" + value.substr(0, 20));
    Settings["AppTitle"] = "Foo";
    Settings["VersionFile"] = "http://h/v.txt";
    Settings["DownloadFile"] = "http://h/new.exe";
    Settings["Timeout"] = "";
    Settings["PublicKey"] = "";
    Settings["DeltaUpdates"] = "";
    Settings["ReleaseNotes"] = "";
    Settings["ReleaseRecord"] = "";
    Settings["CheckInterval"] = "";
    Settings[key] = value;
    view.Log.clear();
    const int opensBefore = net.Count("Open(");
    const TUpdateDlg &dialog = Start("upd.exe 1 C:\\Apps\\Host.exe");
    ASSERT_TRUE(PumpUntilWorkersEnded());
    ASSERT_GE(view.Log.size(), 2u);
    EXPECT_EQ(view.Log[1], seconds ? "status [Checking for update...]"
                                   : std::string("error [") + kSettingsMissing + "]");
    EXPECT_EQ(net.Count("Open("), opensBefore + (seconds ? 1 : 0));
    if (seconds) {
      EXPECT_EQ(dialog.CheckVersion.Timeout, seconds);
      EXPECT_EQ(dialog.Downloader.Timeout, seconds);
      EXPECT_EQ(dialog.DownloadSignature.Timeout, seconds);
      EXPECT_EQ(dialog.DownloadDelta.Timeout, seconds);
    }
  }
}

TEST_F(UpdateDlgStartup, OnlyLowerCaseNullCountsAsMissing) {
  for (const char *url : {"NULL", "", "Null"}) {
    Settings["VersionFile"] = url;
    view.Log.clear();
    const TUpdateDlg &dialog = Start("upd.exe 1 C:\\Apps\\Host.exe");
    EXPECT_EQ(view.Log, TLines({"title [Foo Updater...]", "status [Checking for update...]"}))
        << url;
    EXPECT_EQ(dialog.CheckVersion.URL, url);
    ASSERT_TRUE(PumpUntilWorkersEnded());
  }
  EXPECT_EQ(net.Count("Open("), 3);
}

} // namespace
