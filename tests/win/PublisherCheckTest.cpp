// The publisher check against the real WinTrust and version.dll, with copies of two programs
// with file versions that tests/trust/signed-programs signed for this run.

#include "update/verify/PublisherCheck.h"
#include "update/download/HeldDownload.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

void PrintTo(TPublisherVerdict verdict, std::ostream *out) {
  const char *const names[] = {"Accepted", "NotSignedByPublisher", "OlderVersion",
                               "VersionUnreadable"};
  *out << names[static_cast<int>(verdict)];
}

namespace {

// A copy of program whose version block gives its fixed record more bytes than the block holds:
// the resource is there, but cannot be read.
std::string WithDamagedVersionBlock(const std::string &program) {
  std::ifstream in(program, std::ios::binary);
  std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::string rootKey("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0I\0N\0F\0O\0", 30);
  const size_t key = image.find(rootKey);
  if (key == std::string::npos || key < 4)
    return "";
  image[key - 4] = image[key - 3] = '\xFF'; // wValueLength
  const std::string damaged = program.substr(0, program.rfind('.')) + "-damaged-version.exe";
  std::ofstream(damaged, std::ios::binary) << image;
  return damaged;
}

TEST(PublisherCheck, TakesOnlyThePublishersOwnSignedNewerBuilds) {
  const struct {
    const char *Case, *Program, *Download;
    TPublisherVerdict Verdict;
  } rows[] = {
      {"same certificate", "program-by-a.exe", "by-a~.tmp", TPublisherVerdict::Accepted},
      {"renewed certificate", "program-by-a.exe", "by-a-renewed~.tmp", TPublisherVerdict::Accepted},
      {"same name from an untrusted CA", "program-by-a.exe", "by-a-unknown~.tmp",
       TPublisherVerdict::NotSignedByPublisher},
      {"another organization, same common name", "program-by-a.exe", "by-b~.tmp",
       TPublisherVerdict::NotSignedByPublisher},
      {"unsigned download", "program-by-a.exe", "unsigned~.tmp",
       TPublisherVerdict::NotSignedByPublisher},
      {"one flipped byte", "program-by-a.exe", "flipped~.tmp",
       TPublisherVerdict::NotSignedByPublisher},
      {"lower file version", "program-by-a.exe", "older-by-a~.tmp",
       TPublisherVerdict::OlderVersion},
      {"unsigned program, older download", "program-unsigned.exe", "older-unsigned~.tmp",
       TPublisherVerdict::OlderVersion},
      {"unsigned program, unsigned download", "program-unsigned.exe", "unsigned~.tmp",
       TPublisherVerdict::Accepted},
      // A signature that does not verify here still arms the check, and names the publisher.
      {"untrusted program signature, unsigned download", "program-by-a-unknown.exe",
       "unsigned~.tmp", TPublisherVerdict::NotSignedByPublisher},
      {"untrusted program signature, download by the publisher", "program-by-a-unknown.exe",
       "by-a~.tmp", TPublisherVerdict::Accepted},
      // Nor does a version that cannot be read.
      {"version resource that cannot be read", "program-unsigned-damaged-version.exe",
       "unsigned~.tmp", TPublisherVerdict::VersionUnreadable},
  };
  ASSERT_NE(WithDamagedVersionBlock(std::string(SIGNED_PROGRAMS) + "program-unsigned.exe"), "");
  for (const auto &row : rows) {
    SCOPED_TRACE(row.Case);
    const THeldDownload download(std::string(SIGNED_PROGRAMS) + row.Download);
    ASSERT_TRUE(download.Held());
    EXPECT_EQ(CheckDownloadPublisher(download, std::string(SIGNED_PROGRAMS) + row.Program),
              row.Verdict);
  }
}

} // namespace
