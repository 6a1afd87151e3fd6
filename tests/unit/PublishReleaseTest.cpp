// tools/publish-release as a publisher runs it: the record and signatures it writes, halting and
// resuming, which rewrite only the record's "halted" line, and refused runs, which leave nothing.

#include "update/offer/ReleaseRecord.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::string kTool = "'" UPDATER_SOURCE_DIR "/tools/publish-release' ";
const char kPublisherFiles[] =
    "ln -s /bin/false zstd && mkdir old && printf MZ >old/old.exe && printf abc >new.exe && "
    ": >empty.exe && openssl ecparam -name prime256v1 -genkey -noout -out k.pem && printf "
    "'[Updater]\\r\\nDownloadFile=https://h/a/my%%20prog.exe\\r\\nVersionFile=https://h/v.txt"
    "\\r\\nReleaseRecord=https://h/rec.txt\\r\\nPublicKey=%s\\r\\n' "
    "$(openssl pkey -in k.pem -pubout -outform DER | base64 -w0) >u.ini";
const char kSignaturesVerify[] = "for f in *.sig; do [ ! -e \"$f\" ] || openssl dgst -prverify "
                                 "../k.pem -signature \"$f\" \"${f%.sig}\" || exit 1; done";

int ExitStatusIn(const std::string &in, const std::string &command) {
  return WEXITSTATUS(std::system(("cd '" + in + "' && (" + command + ") >/dev/null 2>&1").c_str()));
}
std::string Contents(const std::string &file) {
  return {std::istreambuf_iterator<char>(std::ifstream(file, std::ios::binary).rdbuf()), {}};
}

TEST(PublishRelease, WritesARecordOfTheServedProgramAndHaltsItOrRefusesLeavingNothing) {
  std::string folder = (std::filesystem::temp_directory_path() / "publish-release-XXXXXX").string();
  ASSERT_TRUE(mkdtemp(folder.data()) && ExitStatusIn(folder, kPublisherFiles) == 0);
  for (const char *run :
       {"new.exe 100 out", "--rollout-days 366 new.exe 3 out", "empty.exe 3 out",
        "--settings u.ini new.exe 3 out", "--published 2024-02-30T00:00:00Z new.exe 3 out",
        "--earlier old new.exe 3 out"}) { // this one fails making deltas, in the output folder
    EXPECT_EQ(ExitStatusIn(folder, "PATH=$PWD:$PATH " + kTool + run), 1) << run;
    EXPECT_FALSE(std::filesystem::exists(folder + "/out")) << run;
  }
  const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  const TReleaseRecord now{"3", 3, abc, 0, 0, false}, over7Days{"7", 3, abc, 1704164645, 7, false};
  const struct {
    std::string Record, Program, Version, VersionText, Key, Arguments; // the settings' names
    TReleaseRecord Read;                                               // published 0: when it ran
  } rows[] = {{"release.txt", "new.exe", "version.txt", "3", "", "--earlier old new.exe 3 ", now},
              {"rec.txt", "my prog.exe", "v.txt", "07", "--settings u.ini --key k.pem ",
               "--rollout-days 7 --published 2024-01-02T03:04:05Z new.exe 07 ", over7Days}};
  for (auto [record, program, version, versionText, key, arguments, read] : rows) {
    const std::string out = folder + "/" + record + ".out/";
    ASSERT_EQ(ExitStatusIn(folder, kTool + key + arguments + out), 0) << arguments;
    const std::string text = Contents(out + record);
    const auto written = ReleaseRecordOf(text);
    read.PublishedAt = read.PublishedAt || !written ? read.PublishedAt : written->PublishedAt;
    EXPECT_EQ(written, read) << text;
    EXPECT_EQ(Contents(out + version), versionText);
    EXPECT_EQ(Contents(out + program), "abc");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), key.empty() ? 4 : 5);
    for (const bool halt : {true, false}) {
      ASSERT_EQ(ExitStatusIn(folder, kTool + (halt ? "--halt " : "--resume ") + key + out), 0);
      read.Halted = halt;
      EXPECT_EQ(ReleaseRecordOf(Contents(out + record)), read);
      EXPECT_EQ(ExitStatusIn(out, kSignaturesVerify), 0);
    }
    EXPECT_EQ(Contents(out + record), text); // every other line as it was
  }
  std::filesystem::remove_all(folder);
}

} // namespace
