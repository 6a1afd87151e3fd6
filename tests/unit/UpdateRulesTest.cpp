// The rules by which the updater judges what the host and the server sent: the start's switch,
// the version file, the release notes, the download's percentage, and whether a downloaded file
// may take the program's place; and the record it keeps of its checks.

#include "framework/IntegerSyntax.h"
#include "update/dialog/PercentDone.h"
#include "update/download/HeldDownload.h"
#include "update/offer/CheckRecord.h"
#include "update/offer/ReleaseNotes.h"
#include "update/offer/VersionFile.h"
#include "update/request/HostRequest.h"
#include "update/verify/ProgramImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

TEST(HostRequest, SwitchIsTheThirdParameterInAnyLetterCase) {
  const struct {
    const char *CommandLine;
    TStartMode Mode;
  } rows[] = {{"upd.exe 1 host.exe", TStartMode::Asked},
              {"upd.exe 1 host.exe /quiet", TStartMode::Quiet},
              {"upd.exe 1 host.exe /QuIeT", TStartMode::Quiet},
              {"upd.exe 1 host.exe /auto", TStartMode::Automatic},
              {"upd.exe 1 \"C:\\My Host\\host.exe\" \"/AUTO\" more", TStartMode::Automatic},
              {"upd.exe 1 host.exe /autos", TStartMode::Asked},
              {"upd.exe 1 host.exe /au", TStartMode::Asked},
              {"upd.exe 1 host.exe auto", TStartMode::Asked},
              {"upd.exe 1 host.exe x /auto", TStartMode::Asked},
              {"upd.exe /auto host.exe", TStartMode::Asked}};
  for (const auto &row : rows)
    EXPECT_EQ(HostRequestOf(row.CommandLine)->Mode, row.Mode) << row.CommandLine;
  EXPECT_FALSE(HostRequestOf("upd.exe 1").has_value());
}

TEST(VersionFile, WritesTheNumberBackInDecimal) {
  const struct {
    const char *Body, *Canonical;
  } rows[] = {{"7", "7"},   {"07", "7"}, {"99", "99"}, {"$A", "10"}, {"xf", "15"},
              {"XF", "15"}, {" 5", "5"}, {"+3", "3"},  {"-0", "0"},  {"-9", "-9"}};
  for (const auto &row : rows)
    EXPECT_EQ(CanonicalVersionText(row.Body), row.Canonical) << row.Body;
  for (const char *body : {"ab", "5\n", "\n5", "5 ", "$", "0x", "+", "1.", ""})
    EXPECT_THROW(CanonicalVersionText(body), EConvertError) << body;
}

TEST(VersionFile, OffersAnUpdateWhenTheCurrentVersionSortsFirstAsText) {
  const struct {
    const char *Current, *Latest;
    bool Offered;
  } rows[] = {{"1", "2", true},     {"2", "2", false},  {"9", "10", false}, {"10", "9", true},
              {"01", "1", true},    {"1", "01", false}, {"", "0", true},    {"1.0", "1", false},
              {"\xe9", "9", false}, {"9", "\xe9", true}}; // bytes above 127 sort last
  for (const auto &row : rows)
    EXPECT_EQ(OffersUpdate(row.Current, row.Latest), row.Offered)
        << row.Current << " against " << row.Latest;
}

TEST(VersionFile, QuotesABodyForTheMessage) {
  const struct {
    std::string Body;
    const char *Shown;
  } rows[] = {{"ab", "'ab'"},   {"5\n", "'5'#10"}, {"\r\n", "#13#10"},
              {"", "''"},       {"a'", "'a'''"},   {std::string("\0x", 2), "#0'x'"},
              {"\x7f", "#127"}, {"\xe9", "'\xe9'"}};
  for (const auto &row : rows)
    EXPECT_EQ(QuotedForMessage(row.Body), row.Shown);
}

// Every line end becomes a line feed; what is not UTF-8 is no notes at all, never half of them.
TEST(ReleaseNotes, AreShownAsPlainUtf8OrNotAtAll) {
  const struct {
    std::string Body;
    std::optional<std::string> Shown;
  } rows[] = {
      {"a\rb\r\n\nc", "a\nb\n\nc"},
      {"\xEF\xBB\xBF\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xF0\x9F\x98\x80",
       "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D \xF0\x9F\x98\x80"},
      {std::string("a\xC2\x85\x7F\0b\xE2\x81\xA6"
                   "c",
                   10),
       "abc"}, // C1, DEL, NUL, a bidirectional isolate
      {std::string(kMaxReleaseNotesSize, 'a'), std::string(kMaxReleaseNotesSize, 'a')},
      {"", std::nullopt},
      {"\xEF\xBB\xBF \r\n\t\r\n", std::nullopt},
      {"\xC0\xAF", std::nullopt},                    // "/" in two bytes
      {"\xED\xA0\x80", std::nullopt},                // a surrogate
      {"\xF4\x90\x80\x80", std::nullopt},            // past U+10FFFF
      {"ok \xE6\x97", std::nullopt},                 // cut short
      {std::string("\xFF\xFEn\0", 4), std::nullopt}, // UTF-16
  };
  for (const auto &row : rows)
    EXPECT_EQ(ReleaseNotesText(row.Body), row.Shown) << row.Body.substr(0, 16);
}

// A record is read back as written, and anything else is no record.
TEST(CheckRecord, ReadsWhatItWroteAndNothingElse) {
  for (const TCheckRecord &record : {TCheckRecord{}, TCheckRecord{1800000000, ""},
                                     TCheckRecord{std::nullopt, "-5"}, TCheckRecord{0, "10"}})
    EXPECT_EQ(CheckRecordOf(CheckRecordText(record)), record);
  for (const char *damaged :
       {"checked=1", "checked=-1\n", "checked=1\nchecked=2\n", "skipped=\n", "skipped=1.0\n",
        "when=1\n", "checked=1e5\n", "checked=9999999999999999999999\n"})
    EXPECT_EQ(CheckRecordOf(damaged), TCheckRecord{}) << damaged;
}

TEST(PercentDone, IsTruncatedAndNeverOverflows) {
  const struct {
    int32_t Readed, TotalSize, Percent;
  } rows[] = {{1000, 2000, 50},  {30000000, 40000000, 75}, {1, 3, 33},
              {kMax, kMax, 100}, {kMax - 1, kMax, 99},     {kMax, 1, kMax},
              {kMin, -1, kMax},  {kMin, 1, kMin},          {7, 0, 0},
              {0, 0, 0},         {2000, 2000, 100},        {-5, 10, -50}};
  for (const auto &row : rows)
    EXPECT_EQ(PercentDoneOf(row.Readed, row.TotalSize), row.Percent)
        << row.Readed << " of " << row.TotalSize;
}

// "MZ", the offset at byte 60 and whatever stands there.
std::string Image(uint32_t offset, const std::string &tail) {
  std::string image(64, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  for (int i = 0; i < 4; ++i)
    image[60 + i] = static_cast<char>(offset >> (8 * i));
  return image + tail;
}

// "PE\0\0" and a file header for machine with the flags characteristics.
std::string Headers(uint16_t machine, uint16_t characteristics) {
  const char start[] = {'P', 'E', '\0', '\0', char(machine), char(machine >> 8)};
  return std::string(start, 6) + std::string(16, '\0') +
         std::string{char(characteristics), char(characteristics >> 8)};
}

const std::string kExe = Image(64, Headers(kMachineI386, 0x0102)); // an executable image
const std::string kExe64 = Image(64, Headers(kMachineAmd64, 0x0022));
const std::string kDll = Image(64, Headers(kMachineI386, 0x2102)); // executable, and a DLL

TEST(ProgramImage, NeedsMzAndAFileHeaderWhereTheHeaderPoints) {
  const struct {
    const char *Name;
    std::string Bytes;
    bool Accepted;
  } rows[] = {{"minimal", kExe, true},
              {"further on", Image(80, std::string(16, 'x') + kExe.substr(64) + "code"), true},
              {"signature inside the header", Image(2, kExe.substr(64)), false},
              {"offset past the end", Image(1000, kExe.substr(64)), false},
              {"offset far past the end", Image(0xFFFFFFFFu, kExe.substr(64)), false},
              {"signature cut short", Image(64, std::string("PE\0", 3)), false},
              {"file header cut short", kExe.substr(0, kExe.size() - 1), false},
              {"wrong signature", Image(64, "PE00" + kExe.substr(68)), false},
              {"no MZ", "ZM" + kExe.substr(2), false},
              {"header cut short", kExe.substr(0, 62), false},
              {"empty", "", false},
              {"web page",
               "<!DOCTYPE html><html><body>Not here</body></html>" + std::string(40, ' '), false}};
  for (const auto &row : rows) {
    const std::string &bytes = row.Bytes;
    const auto readAt = [&](uint32_t offset, void *buffer, size_t size) {
      if (offset > bytes.size() || size > bytes.size() - offset)
        return false;
      bytes.copy(static_cast<char *>(buffer), size, offset);
      return true;
    };
    EXPECT_EQ(ProgramImageHeader(readAt).has_value(), row.Accepted) << row.Name;
  }
}

// An .exe program takes an executable for its own processor, else for one this machine runs.
TEST(ProgramImage, RefusesEmptyDownloadsAndWhatCannotRunAsTheExeProgram) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::string prefix = std::to_string(::getpid()) + "-";
  const std::string download = (folder / (prefix + "download")).string();
  const struct {
    std::string Content, Program;
    bool Accepted;
    std::string Installed = ""; // nothing: no file at the program's path
    uint16_t Native = kMachineI386;
  } rows[] = {{kExe, "C:\\Apps\\Host.exe", true},
              {kExe, "C:\\Apps\\HOST.EXE", true},
              {"<html></html>", "C:\\Apps\\Host.exe", false},
              {"<html></html>", "C:\\Apps\\Host.Exe", false},
              {"<html></html>", "C:\\Apps\\Host.dat", true},
              {"<html></html>", "C:\\Apps\\Host", true},
              {"<html></html>", "C:\\Apps\\Host.exe.bak", true},
              {"", "C:\\Apps\\Host.dat", false},
              {"", "C:\\Apps\\Host.exe", false},
              {kDll, "Host.exe", false},
              {Image(64, Headers(kMachineI386, 0x0100)), "Host.exe", false, kExe},
              {kExe64, "Host.exe", false, kExe, kMachineAmd64},
              {kExe, "Host.exe", false, kExe64, kMachineAmd64},
              {kExe64, "Host.exe", true, kExe64},
              {kExe64, "Host.exe", false, "old program"},
              {kExe64, "Host.exe", true, kExe.substr(0, 80), kMachineAmd64},
              {Image(64, Headers(kMachineArm64, 0x0022)), "Host.exe", true, "", kMachineArm64}};
  for (const auto &row : rows) {
    const std::string program = (folder / (prefix + row.Program)).string();
    std::ofstream(download, std::ios::binary) << row.Content;
    if (!row.Installed.empty())
      std::ofstream(program, std::ios::binary) << row.Installed;
    EXPECT_EQ(IsAcceptableDownload(THeldDownload(download), program, row.Native), row.Accepted)
        << row.Program << " from " << row.Content.size() << " bytes over " << row.Installed.size()
        << " bytes on machine " << row.Native;
    std::remove(program.c_str());
  }
  std::remove(download.c_str());
  EXPECT_FALSE(IsAcceptableDownload(THeldDownload(download), "C:\\Apps\\Host.dat", kMachineI386))
      << "a missing download";
}

} // namespace
