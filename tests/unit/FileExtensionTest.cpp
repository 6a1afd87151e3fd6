#include "framework/FileExtension.h"

#include <gtest/gtest.h>

namespace {

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

TEST(ChangeFileExt, NamesInAnyScript) {
  EXPECT_EQ(ChangeFileExt("C:\\Программа\\升级.exe", ".ini"), "C:\\Программа\\升级.ini");
  EXPECT_EQ(ChangeFileExt("C:\\Πρόγραμμα.v2\\程序", "~.tmp"), "C:\\Πρόγραμμα.v2\\程序~.tmp");
}

} // namespace
