#include "framework/FileExtension.h"

#include <gtest/gtest.h>

namespace {

bool IsShiftJisLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

TEST(ChangeFileExt, ReplacesTheTextFromTheLastFullStop) {
  EXPECT_EQ(ChangeFileExt("C:\\Apps\\Host.exe", "~.tmp"), "C:\\Apps\\Host~.tmp");
  EXPECT_EQ(ChangeFileExt("C:\\Apps\\Host.new.exe", "~.tmp"), "C:\\Apps\\Host.new~.tmp");
  EXPECT_EQ(ChangeFileExt("D:\\Tools\\upd.exe", ".ini"), "D:\\Tools\\upd.ini");
  EXPECT_EQ(ChangeFileExt("C:\\Apps\\Host.", ".ini"), "C:\\Apps\\Host.ini");
  EXPECT_EQ(ChangeFileExt("upd.exe", ".ini"), "upd.ini");
}

TEST(ChangeFileExt, AppendsWhenTheLastDelimiterIsAFolderOrDrive) {
  EXPECT_EQ(ChangeFileExt("C:\\Apps\\Host", "~.tmp"), "C:\\Apps\\Host~.tmp");
  EXPECT_EQ(ChangeFileExt("C:\\My.Apps\\Host", "~.tmp"), "C:\\My.Apps\\Host~.tmp");
  EXPECT_EQ(ChangeFileExt("A.B:Host", "~.tmp"), "A.B:Host~.tmp");
  EXPECT_EQ(ChangeFileExt("C:\\", ".ini"), "C:\\.ini");
  EXPECT_EQ(ChangeFileExt("Host", ".ini"), "Host.ini");
  EXPECT_EQ(ChangeFileExt("", ".ini"), ".ini");
}

// In Shift-JIS, 0x95 0x5C is one character whose trail byte has the code of "\".
TEST(ChangeFileExt, ATrailByteIsNeverADelimiter) {
  const std::string backslashTrail = "C:\\Apps\\Ho.st\x95\x5C";
  EXPECT_EQ(ChangeFileExt(backslashTrail, "~.tmp", IsShiftJisLeadByte), "C:\\Apps\\Ho~.tmp");
  EXPECT_EQ(ChangeFileExt(backslashTrail, "~.tmp"), backslashTrail + "~.tmp");

  const std::string stopTrail = "C:\\Apps\\Host\x81.";
  EXPECT_EQ(ChangeFileExt(stopTrail, ".ini", IsShiftJisLeadByte), stopTrail + ".ini");
  EXPECT_EQ(ChangeFileExt(stopTrail, ".ini"), "C:\\Apps\\Host\x81.ini");

  EXPECT_EQ(ChangeFileExt("C:\\\x95\x5C.\x95\x5C\\Host.exe", ".ini", IsShiftJisLeadByte),
            "C:\\\x95\x5C.\x95\x5C\\Host.ini");
  EXPECT_EQ(ChangeFileExt("C:\\Apps\\Host.exe\x95", ".ini", IsShiftJisLeadByte),
            "C:\\Apps\\Host.ini");
}

} // namespace
