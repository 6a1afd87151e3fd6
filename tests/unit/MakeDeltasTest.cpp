// tools/make-deltas as a publisher runs it: each delta bears the name the updater asks for and
// rebuilds the new release through the updater's own decoder; a run that cannot make every
// delta fails and leaves none behind under a name the updater asks for.

#include "tests/unit/Deltas.h"
#include "update/DeltaDecoding.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The SHA-256 of "abc", the standard's own example.
const std::string kDigestOfAbc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

// A folder of the test's own, with a space in its name as publishers' folders may have.
fs::path NewFolder() {
  std::string folder = (fs::temp_directory_path() / "make deltas-XXXXXX").string();
  if (!mkdtemp(folder.data()))
    throw std::runtime_error("cannot create a folder in " + folder);
  return folder;
}

std::string Quoted(const fs::path &path) { return "'" + path.string() + "'"; }

// The tool's exit code, run in folder with environment before it; its table and messages are
// for people.
int MakeDeltas(const fs::path &folder, const std::string &arguments,
               const std::string &environment = "") {
  const std::string command = "cd " + Quoted(folder) + " && " + environment +
                              " '" UPDATER_SOURCE_DIR "/tools/make-deltas' " + arguments +
                              " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> DeltasIn(const fs::path &folder) {
  std::vector<std::string> names;
  for (const auto &entry : fs::directory_iterator(folder))
    if (entry.path().filename().string().find(".from-") != std::string::npos)
      names.push_back(entry.path().filename().string());
  return names;
}

std::string Rebuilt(const std::string &delta, const std::string &reference) {
  std::string program;
  size_t at = 0;
  std::atomic<bool> stop{false};
  const TDeltaOutcome outcome = RebuildFromDelta(
      [&](char *buffer, size_t size) {
        const size_t read = delta.copy(buffer, size, at);
        at += read;
        return read;
      },
      reference, [&](const char *data, size_t size) { program.append(data, size); }, stop);
  return outcome == TDeltaOutcome::Rebuilt ? program : "(not rebuilt)";
}

TEST(MakeDeltas, NamesEachDeltaAsTheUpdaterAsksAndEachRebuildsTheNewRelease) {
  const fs::path folder = NewFolder(), earlier = folder / "earlier releases";
  fs::create_directory(earlier);
  const std::string newRelease = Release(2);
  WriteFile(folder / "new build.exe", newRelease);
  WriteFile(earlier / "version 1.exe", Release(1));
  WriteFile(earlier / "abc", "abc");
  WriteFile(earlier / "version 2.exe", newRelease);  // the new release itself: no delta
  WriteFile(earlier / "version 1.exe.sig", "a sig"); // no release
  WriteFile(earlier / ("my program.exe.from-" + std::string(64, 'e')), "an earlier delta");

  // By default the deltas go beside the new release.
  ASSERT_EQ(MakeDeltas(folder, "--served-as 'my program.exe' 'new build.exe' 'earlier releases'"),
            0);
  const std::vector<std::string> deltas = DeltasIn(folder);
  ASSERT_EQ(deltas.size(), 2u) << "one delta for each release but the new one";
  const std::regex named("my program\\.exe\\.from-[0-9a-f]{64}");
  for (const std::string &delta : deltas) {
    EXPECT_TRUE(std::regex_match(delta, named)) << delta;
    // Only the release it was named after rebuilds the new one: its checksum says so.
    const bool ofAbc = delta == "my program.exe.from-" + kDigestOfAbc;
    EXPECT_TRUE(Rebuilt(ContentOf(folder / delta), ofAbc ? "abc" : Release(1)) == newRelease)
        << delta;
  }
  fs::remove_all(folder);
}

TEST(MakeDeltas, FailsWithoutLeavingADeltaWhereOneCannotBeMade) {
  // zstd programs in place of Debian's: one that fails, one whose delta does not decode.
  const std::string fails = "#!/bin/sh\necho 'zstd: no space left' >&2\nexit 1\n";
  const std::string breaks = "#!/bin/sh\n/usr/bin/zstd \"$@\" || exit\n"
                             "for a; do [ \"$o\" = -o ] && echo >>\"$a\"; o=$a; done\n";
  const struct {
    const char *Name;
    std::string Arguments; // in a folder with new.exe, large.exe and earlier/old.exe
    std::string Zstd = "";
  } rows[] = {
      {"a new release over 128 MiB", "large.exe earlier out"},
      {"no folder of earlier releases", "new.exe missing out"},
      {"a served name with a folder", "--served-as a/new.exe new.exe earlier out"},
      {"a zstd that fails", "new.exe earlier out", fails},
      {"a delta that does not decode", "new.exe earlier out", breaks},
  };
  for (const auto &row : rows) {
    const fs::path folder = NewFolder();
    fs::create_directories(folder / "earlier");
    WriteFile(folder / "new.exe", Release(2));
    WriteFile(folder / "earlier" / "old.exe", Release(1));
    WriteFile(folder / "large.exe", "");
    fs::resize_file(folder / "large.exe", kMaxDeltaProgramSize + 1);
    std::string environment;
    if (!row.Zstd.empty()) {
      fs::create_directories(folder / "bin");
      WriteFile(folder / "bin" / "zstd", row.Zstd);
      fs::permissions(folder / "bin" / "zstd", fs::perms::owner_exec, fs::perm_options::add);
      environment = "PATH=" + Quoted(folder / "bin") + ":\"$PATH\"";
    }
    EXPECT_EQ(MakeDeltas(folder, row.Arguments, environment), 1) << row.Name;
    EXPECT_TRUE(!fs::exists(folder / "out") || fs::is_empty(folder / "out")) << row.Name;
    fs::remove_all(folder);
  }
}

} // namespace
