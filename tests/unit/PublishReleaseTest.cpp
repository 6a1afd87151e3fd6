// tools/publish-release as a publisher runs it: the record it writes is one the updater takes for
// the program as served, every signature verifies with openssl, halting and resuming touch only
// the record's "halted" line, and a refused run leaves no output folder behind.

#include "update/offer/ReleaseRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The program "abc", whose SHA-256 is the standard's own example.
const std::string kAbcSha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

int ExitStatusIn(const std::string &folder, const std::string &command) {
  return WEXITSTATUS(
      std::system(("cd '" + folder + "' && (" + command + ") >/dev/null 2>&1").c_str()));
}
std::string Contents(const fs::path &file) {
  std::ostringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  return text.str();
}

TEST(PublishRelease, WritesARecordOfTheServedProgramAndHaltsItOrRefusesLeavingNothing) {
  const std::string tool = "'" UPDATER_SOURCE_DIR "/tools/publish-release' ";
  const struct {
    std::string Arguments, Record, Program, Version; // the names that the settings give, if any
    bool Signed;
    int Status;
    bool ZstdFails = false;
  } rows[] = {
      {"--earlier earlier new.exe 3 out", "release.txt", "new.exe", "version.txt", false, 0},
      {"--settings u.ini --key k.pem --rollout-days 7 --published 2024-01-02T03:04:05Z "
       "--earlier earlier new.exe 07 out",
       "rec.txt", "my prog.exe", "v.txt", true, 0},
      {"new.exe 100 out", "", "", "", false, 1},                  // the version file holds two
      {"--rollout-days 366 new.exe 3 out", "", "", "", false, 1}, // over a year
      {"empty.exe 3 out", "", "", "", false, 1},
      {"--settings u.ini new.exe 3 out", "", "", "", false, 1}, // PublicKey set, no key given
      {"--published 2024-02-30T00:00:00Z new.exe 3 out", "", "", "", false, 1},
      {"--earlier earlier new.exe 3 out", "", "", "", false, 1, true}, // zstd fails
  };
  for (const auto &row : rows) {
    std::string folder = (fs::temp_directory_path() / "publish-release-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(folder.data()));
    const fs::path out = fs::path(folder) / "out";
    fs::create_directory(fs::path(folder) / "earlier");
    std::ofstream(folder + "/earlier/old.exe") << "MZ an earlier release";
    std::ofstream(folder + "/new.exe") << "abc";
    std::ofstream(folder + "/empty.exe").close();
    ASSERT_EQ(
        ExitStatusIn(folder,
                     "openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "
                     "k.pem && openssl pkey -in k.pem -pubout -out pub.pem && printf "
                     "'[Updater]\\r\\nDownloadFile=https://h/a/my%%20prog.exe\\r\\nVersionFile="
                     "https://h/v.txt\\r\\nReleaseRecord=https://h/rec.txt\\r\\nPublicKey=%s"
                     "\\r\\n' $(openssl pkey -in k.pem -pubout -outform DER | base64 -w0) "
                     ">u.ini"),
        0);
    const std::string path = row.ZstdFails ? "ln -s /bin/false zstd && PATH=\"$PWD:$PATH\" " : "";
    EXPECT_EQ(ExitStatusIn(folder, path + tool + row.Arguments), row.Status) << row.Arguments;
    if (row.Status != 0) {
      EXPECT_FALSE(fs::exists(out)) << row.Arguments;
      fs::remove_all(folder);
      continue;
    }
    const std::string record = Contents(out / row.Record);
    const auto read = ReleaseRecordOf(record);
    ASSERT_TRUE(read) << record;
    EXPECT_EQ(read->Version, row.Signed ? "7" : "3");
    EXPECT_EQ(read->Size, 3u);
    EXPECT_EQ(read->Sha256, kAbcSha256);
    EXPECT_EQ(read->RolloutDays, row.Signed ? 7u : 0u);
    EXPECT_FALSE(read->Halted);
    if (row.Signed) {
      EXPECT_EQ(read->PublishedAt, 1704164645);
    }
    EXPECT_EQ(Contents(out / row.Version), row.Signed ? "07" : "3");
    EXPECT_EQ(Contents(out / row.Program), "abc");
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), row.Signed ? 6 : 4);
    const std::string key = row.Signed ? " --settings u.ini --key k.pem out" : " out";
    const std::string verify = "openssl dgst -sha256 -verify pub.pem -signature 'out/" +
                               row.Record + ".sig' 'out/" + row.Record + "'";
    ASSERT_EQ(ExitStatusIn(folder, tool + "--halt" + key), 0);
    const auto halted = ReleaseRecordOf(Contents(out / row.Record));
    ASSERT_TRUE(halted);
    EXPECT_EQ(*halted, (TReleaseRecord{read->Version, read->Size, read->Sha256, read->PublishedAt,
                                       read->RolloutDays, true}));
    if (row.Signed) {
      EXPECT_EQ(ExitStatusIn(folder, verify), 0);
      EXPECT_EQ(ExitStatusIn(folder, "openssl dgst -sha256 -verify pub.pem -signature 'out/" +
                                         row.Program + ".sig' 'out/" + row.Program + "'"),
                0);
    }
    ASSERT_EQ(ExitStatusIn(folder, tool + "--resume" + key), 0);
    EXPECT_EQ(Contents(out / row.Record), record); // every other line as it was
    if (row.Signed) {
      EXPECT_EQ(ExitStatusIn(folder, verify), 0);
    }
    fs::remove_all(folder);
  }
}

} // namespace
