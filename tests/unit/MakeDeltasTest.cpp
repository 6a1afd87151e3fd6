// tools/make-deltas as a publisher runs it: its delta bears the name the updater asks for and the
// updater's own decoder rebuilds the new release from it; a failed run leaves no delta behind.

#include "update/delta/DeltaDecoding.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

const std::string kNew = "MZ new release " + std::string(5000, 'n');
// The earlier release "abc", whose SHA-256 is the standard's own example.
const std::string kDeltaOfAbc =
    "new.exe.from-ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

std::string Rebuilt(const fs::path &deltaFile, const std::string &reference) {
  std::ifstream delta(deltaFile, std::ios::binary);
  std::string program;
  std::atomic<bool> stop{false};
  const TDeltaOutcome outcome = RebuildFromDelta(
      [&](char *buffer, size_t size) { return size_t(delta.read(buffer, size).gcount()); },
      reference, [&](const char *data, size_t size) { program.append(data, size); }, stop);
  return outcome == TDeltaOutcome::Rebuilt ? program : "(not rebuilt)";
}

TEST(MakeDeltas, NamesTheDeltaAsTheUpdaterAsksOrFailsWithoutLeavingOne) {
  const struct {
    std::string Arguments, Zstd; // a zstd program in place of Debian's
    int Status;
  } rows[] = {
      {"--served-as new.exe 'new build.exe' 'earlier releases'", "", 0},
      {"large.exe 'earlier releases'", "", 1}, // over the updater's bound
      {"'new build.exe' 'earlier releases'",   // a delta that does not decode
       "/usr/bin/zstd \"$@\" || exit; for a; do [ \"$o\" = -o ] && echo >>\"$a\"; o=$a; done", 1},
  };
  for (const auto &row : rows) {
    std::string folder = (fs::temp_directory_path() / "make-deltas-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(folder.data()));
    const fs::path earlier = fs::path(folder) / "earlier releases", out = earlier / "out";
    fs::create_directories(out); // a subfolder of the earlier releases, and none of them
    std::ofstream(folder + "/new build.exe") << kNew;
    std::ofstream(earlier / "abc") << "abc";
    std::ofstream(earlier / "same.exe") << kNew; // the new release itself: no delta
    std::ofstream(folder + "/large.exe").close();
    fs::resize_file(folder + "/large.exe", kMaxDeltaProgramSize + 1);
    std::ofstream(folder + "/zstd") << "#!/bin/sh\n" << row.Zstd << "\n";
    fs::permissions(folder + "/zstd", fs::perms::owner_exec, fs::perm_options::add);
    const std::string command = "cd '" + folder + "' && " +
                                (row.Zstd.empty() ? "" : "PATH=\"" + folder + ":$PATH\" ") +
                                "'" UPDATER_SOURCE_DIR "/tools/make-deltas' " + row.Arguments +
                                " 'earlier releases/out' >/dev/null 2>&1";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), row.Status) << row.Arguments;
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), row.Status == 0) << row.Arguments;
    if (row.Status == 0) {
      EXPECT_TRUE(Rebuilt(out / kDeltaOfAbc, "abc") == kNew);
    }
    fs::remove_all(folder);
  }
}

} // namespace
