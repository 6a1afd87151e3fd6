// tools/deb-src-entries, which tools/setup writes zstd's deb-src entry with: the twin of each of
// apt's own deb entries whose archive carries the package, read from both forms, each once.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

// apt-cache as it answers madison zstd: the mirror's suite and its security suite carry it.
const char kAptCache[] =
    "#!/bin/sh\n[ \"$*\" = 'madison zstd' ] && cat <<'EOF'\n"
    "zstd | 1 | http://mirror.example/debian bookworm/main amd64 Packages\n"
    "zstd | 1 | http://mirror.example/security bookworm-security/main i386\nEOF\n";
const char kKey[] = "Signed-By:\n -----BEGIN PGP PUBLIC KEY BLOCK-----\n .\n -----END PGP\n";

std::string Entry(const std::string &uri, const std::string &suite, const std::string &components,
                  const std::string &signedBy) {
  return "Types: deb-src\nURIs: " + uri + "\nSuites: " + suite + "\nComponents: " + components +
         "\n" + signedBy;
}

TEST(DebSrcEntries, TwinTheDebEntriesWhoseArchiveCarriesThePackage) {
  const struct {
    std::map<std::string, std::string> Files; // under the folder that stands for /etc/apt
    std::string Entries;
  } rows[] = {
      {{{"sources.list.d/debian.sources",
         "Types: deb deb-src\n# a mirror\nURIs: http://mirror.example/debian http://mirror.example/"
         "security\nSuites: bookworm bookworm-updates bookworm-security\nComponents: main\n" +
             std::string(kKey)},
        {"sources.list.d/off.sources", "Types: deb\nURIs: http://mirror.example/debian\nSuites: "
                                       "bookworm\nComponents: contrib\nEnabled: no\n"}},
       Entry("http://mirror.example/debian", "bookworm", "main", kKey) + "\n" +
           Entry("http://mirror.example/security", "bookworm-security", "main", kKey)},
      {{{"sources.list", "deb [ arch=amd64 signed-by=/k.gpg ] http://mirror.example/debian/ "
                         "bookworm main contrib # the mirror\ndeb-src http://mirror.example/debian "
                         "bookworm main\ndeb http://third.example/apt bookworm main\n"},
        {"sources.list.d/copy.list", "deb [signed-by=/k.gpg] http://mirror.example/debian "
                                     "bookworm main contrib\n"},
        {"sources.list.d/apt.list.save", "deb http://mirror.example/security bookworm-security "
                                         "main\n"}}, // a file that apt does not read
       Entry("http://mirror.example/debian/", "bookworm", "main contrib", "Signed-By: /k.gpg\n")},
  };
  for (const auto &row : rows) {
    std::string folder = (fs::temp_directory_path() / "deb-src-entries-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(folder.data()));
    fs::create_directories(folder + "/sources.list.d");
    for (const auto &[name, text] : row.Files)
      std::ofstream(folder + "/" + name) << text;
    std::ofstream(folder + "/apt.conf") << "Dir::Etc \"" << folder << "\";\n"; // apt's files there
    std::ofstream(folder + "/apt-cache") << kAptCache;
    fs::permissions(folder + "/apt-cache", fs::perms::owner_exec, fs::perm_options::add);
    const std::string command =
        "APT_CONFIG='" + folder + "/apt.conf' PATH='" + folder +
        "':\"$PATH\" '" UPDATER_SOURCE_DIR "/tools/deb-src-entries' zstd >'" + folder + "/entries'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream entries(folder + "/entries");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(entries), {}), row.Entries)
        << row.Files.begin()->second;
    fs::remove_all(folder);
  }
}

} // namespace
