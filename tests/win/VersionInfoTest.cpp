// The version reader against the real version.dll, with programs whose version resources
// windres compiled, byte-patched copies of one of them, and a library that reads its own file.

#include "versinfo/VersionInfoResource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct TFixtureRow {
  const char *File;
  std::vector<std::string> TranslationIDs;
  std::vector<std::string> CompanyNames; // one per translation
  std::vector<uint16_t> FileVersion;
  const char *FileVersionText, *ProductVersionText;
  uint32_t ValidFlags, Flags, OperatingSystem; // element bits
  TVersionFileType FileType;
  uint32_t FileSubType;
};

TEST(VersionInfoResource, ReadsWhatTheResourceHolds) {
  const TFixtureRow rows[] = {
      {FIXTURE_ONE,
       {"040904E4"},
       {"Acme Tools"},
       {1, 1, 3, 11},
       "1.1.3.11",
       "1.1.3.11",
       0x3F,
       0,
       0x101,
       vftApplication,
       0},
      // The texts, not the fixed numbers, give the version strings; flags outside the mask count.
      {FIXTURE_TWO,
       {"040704B0", "040904E4"},
       {"Acme GmbH", "Acme Inc."},
       {2, 5, 0, 16},
       "2.5 beta",
       "3.0",
       0x9,
       0x3C,
       0x110,
       vftDLL,
       7},
      // (0, 0) stands for U.S. English in Windows Latin-1; without texts the numbers are shown.
      {FIXTURE_ZERO,
       {"040904E4"},
       {""},
       {2, 5, 0, 16},
       "2.5.0.16",
       "2.5.0.16",
       0x3F,
       0x25,
       0x1,
       vftUnknown,
       0},
      // Named and written in other scripts, from Windows' UTF-16 to UTF-8 whole.
      {FIXTURE_SCRIPTS,
       {"041904B0"},
       {"ООО «Ромашка»"},
       {1, 1, 3, 11},
       "1.1 бета",
       "1.1.3.11",
       0x3F,
       0,
       0x101,
       vftApplication,
       0}};
  for (const auto &row : rows) {
    SCOPED_TRACE(row.File);
    TzedVersionInfoResource resource(nullptr);
    resource.SetFilename(row.File);
    ASSERT_TRUE(resource.HasVersionData());
    EXPECT_EQ(resource.GetTranslationIDs(), row.TranslationIDs);
    for (size_t i = 0; i < row.CompanyNames.size(); ++i) {
      resource.SetTranslationIDIndex(static_cast<int32_t>(i));
      EXPECT_EQ(resource.CompanyName(), row.CompanyNames[i]);
    }
    for (int32_t part = 0; part < 4; ++part)
      EXPECT_EQ(resource.FileVersionNumber().GetVersionNumber(part), row.FileVersion[part]);
    EXPECT_EQ(resource.FileVersionNumber().GetVersionNumberString(), row.FileVersionText);
    EXPECT_EQ(resource.ProductVersionNumber().GetVersionNumberString(), row.ProductVersionText);
    const TFixedFileVersionInfo &fixed = resource.FixedFileVersionInfo();
    EXPECT_EQ(fixed.GetSignature(), 0xFEEF04BDu);
    EXPECT_EQ(fixed.GetValidFlags().Bits(), row.ValidFlags);
    EXPECT_EQ(fixed.GetFlags().Bits(), row.Flags);
    EXPECT_EQ(fixed.GetFileOperatingSystem().Bits(), row.OperatingSystem);
    EXPECT_EQ(fixed.GetFileType(), row.FileType);
    EXPECT_EQ(fixed.GetFileSubType(), row.FileSubType);
    EXPECT_EQ(fixed.GetCreationDate(), -109205.0);
  }
}

TEST(VersionInfoResource, SelectsATranslationUntilAReadWithFewerResetsIt) {
  TzedVersionInfoResource resource(nullptr);
  resource.SetFilename(FIXTURE_TWO);
  resource.SetTranslationIDIndex(1);
  EXPECT_EQ(resource.FileDescription(), "Two translations");
  for (const int32_t outside : {2, -1}) {
    resource.SetTranslationIDIndex(outside);
    EXPECT_EQ(resource.TranslationIDIndex(), 1);
  }
  // The version texts were taken when the file was read.
  EXPECT_EQ(resource.FileVersionNumber().GetVersionNumberString(), "2.5 beta");
  resource.SetTranslationIDIndex(0);
  EXPECT_EQ(resource.FileDescription(), "Zwei Sprachen");
  EXPECT_EQ(resource.GetResourceStr("ProductVersion"), "3.0");
  resource.SetTranslationIDIndex(1);
  EXPECT_EQ(resource.GetResourceStr("ProductVersion"), "") << "no fallback to another table";

  resource.SetFilename(FIXTURE_ONE);
  EXPECT_EQ(resource.TranslationIDIndex(), 0);
  EXPECT_EQ(resource.CompanyName(), "Acme Tools");
  EXPECT_EQ(resource.GetVersionInfoString(pdBuildFlags), "none");
  EXPECT_EQ(resource.GetVersionInfoString(11), "");
  EXPECT_EQ(resource.GetResourceStr("NoSuchKey"), "");
}

// Paths and key paths go to the version API whole, however long, in any script.
TEST(VersionInfoResource, ReadsPathsAndKeysWhole) {
  TzedVersionInfoResource resource(nullptr);
  resource.SetFilename(FIXTURE_SCRIPTS);
  EXPECT_EQ(resource.GetResourceStr("Версия"), "третья");
  resource.SetFilename(FIXTURE_ONE);
  EXPECT_EQ(resource.GetResourceStr(std::string(230, 'K')), "longest key");
  EXPECT_EQ(resource.GetResourceStr(std::string(231, 'L')), "too long a key");
  resource.SetFilename(FIXTURE_ACCENTED);
  EXPECT_EQ(resource.CompanyName(), "Acme Tools");

  std::string file = FIXTURE_ONE;
  const size_t slash = file.find_last_of("/\\");
  const std::string folder = file.substr(0, slash), name = file.substr(slash);
  for (const size_t length : {255u, 256u}) {
    std::string padded = folder;
    while (padded.size() + name.size() + 2 <= length)
      padded += "\\.";
    padded += std::string(length - padded.size() - name.size(), '\\') + name;
    ASSERT_EQ(padded.size(), length);
    resource.SetFilename(padded);
    EXPECT_EQ(resource.CompanyName(), "Acme Tools") << padded;
  }
}

// A name with a NUL in it names no file, not the one before the NUL.
TEST(VersionInfoResource, ShowsNothingWhereThereIsNoVersionData) {
  for (const std::string &file : {std::string(FIXTURE_NONE), std::string("Z:\\no\\such\\file.exe"),
                                  std::string(FIXTURE_ONE) + '\0' + ".txt"}) {
    TzedVersionInfoResource resource(nullptr);
    resource.SetFilename(file);
    EXPECT_FALSE(resource.HasVersionData()) << file;
    EXPECT_EQ(resource.CompanyName(), "") << file;
    EXPECT_EQ(resource.GetTranslationIDs(), std::vector<std::string>()) << file;
    EXPECT_EQ(resource.FixedFileVersionInfo().GetFileType(), vftUnknown) << file;
    EXPECT_EQ(resource.FixedFileVersionInfo().GetFileOperatingSystem().Bits(), 0u) << file;
    EXPECT_EQ(resource.FileVersionNumber().GetVersionNumberString(), "") << file;
    EXPECT_EQ(resource.FileVersionNumber().GetVersionNumber(0), 0) << file;
  }
}

// A component reads nothing until its form's description has been read, then its own file.
TEST(VersionInfoResource, ReadsItsOwnProgramOrLibrary) {
  TComponent form(nullptr);
  TzedVersionInfoResource *resource = nullptr;
  form.ReadState([&] {
    resource = &form.Own<TzedVersionInfoResource>();
    EXPECT_FALSE(resource->HasVersionData());
    EXPECT_EQ(resource->FileVersionNumber().GetVersionNumberString(), "");
  });
  EXPECT_EQ(resource->FileDescription(), "Version reader tests");
  EXPECT_EQ(resource->FileVersionNumber().GetVersionNumberString(), "9.9.9.9");

  const HMODULE library = LoadLibraryA(FIXTURE_LIBRARY);
  ASSERT_NE(library, nullptr);
  using TReadOwnDescription = void (*)(int, char *, int);
  // Through void (*)() as the usual way to give an exported function its real type.
  const auto read = reinterpret_cast<TReadOwnDescription>(
      reinterpret_cast<void (*)()>(GetProcAddress(library, "ReadOwnDescription")));
  ASSERT_NE(read, nullptr);
  char description[64];
  read(0, description, sizeof description);
  EXPECT_STREQ(description, "Fixture library");
  read(1, description, sizeof description);
  EXPECT_STREQ(description, "Version reader tests") << "ForceEXE reads the program's file";
  FreeLibrary(library);
}

// --- Damaged copies of a fixture: nothing may crash, and unsound lengths read as no data. ---

std::string ContentOf(const std::string &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Where a node whose UTF-16 key is key begins: its header stands before the key.
size_t NodeOf(const std::string &image, const std::string &key) {
  std::string wide;
  for (const char c : key + '\0')
    wide += std::string{c, '\0'};
  const size_t at = image.find(wide);
  return at == std::string::npos ? at : at - 6;
}

void PatchWord(std::string &image, size_t at, uint16_t value) {
  image[at] = static_cast<char>(value & 0xFF);
  image[at + 1] = static_cast<char>(value >> 8);
}

TEST(VersionInfoResource, SurvivesDamagedVersionResources) {
  const std::string original = ContentOf(FIXTURE_ONE);
  const size_t root = NodeOf(original, "VS_VERSION_INFO");
  const size_t strings = NodeOf(original, "StringFileInfo");
  const size_t company = NodeOf(original, "CompanyName");
  ASSERT_NE(root, std::string::npos);
  ASSERT_NE(strings, std::string::npos);
  ASSERT_NE(company, std::string::npos);

  char folder[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  const struct {
    const char *Name;
    size_t At;
    uint16_t Value;
  } patches[] = {{"root longer than the resource", root, 0xFFF0},
                 {"root shorter than its header", root, 4},
                 {"child longer than its parent", strings, 0xFFF0},
                 {"child of length 0", strings, 0},
                 {"value longer than its node", company + 2, 0x7FFF}};
  for (const auto &patch : patches) {
    std::string image = original;
    PatchWord(image, patch.At, patch.Value);
    const std::string copy = std::string(folder) + "damaged-version.exe";
    std::ofstream(copy, std::ios::binary) << image;
    TzedVersionInfoResource resource(nullptr);
    resource.SetFilename(copy);
    EXPECT_FALSE(resource.HasVersionData()) << patch.Name;
    EXPECT_EQ(resource.CompanyName(), "") << patch.Name;
    DeleteFileA(copy.c_str());
  }
}

} // namespace
