#include "framework/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TItems = std::vector<std::string>;

TEST(SplitCommandLine, SeparatesItemsAtEveryCodeFrom1To32) {
  EXPECT_EQ(SplitCommandLine("upd.exe 3 C:\\Apps\\Host.exe"),
            TItems({"upd.exe", "3", "C:\\Apps\\Host.exe"}));
  for (int code = 1; code <= 32; ++code)
    EXPECT_EQ(SplitCommandLine("a" + std::string(1, static_cast<char>(code)) + "b"),
              TItems({"a", "b"}))
        << "code " << code;
  EXPECT_EQ(SplitCommandLine("a!b\x7F"
                             "c\xA0\xFF"),
            TItems({"a!b\x7F"
                    "c\xA0\xFF"}));
  EXPECT_EQ(SplitCommandLine(" \t a \r\n  b  "), TItems({"a", "b"}));
  EXPECT_EQ(SplitCommandLine(""), TItems());
  EXPECT_EQ(SplitCommandLine(" \t "), TItems());
}

TEST(SplitCommandLine, QuotesHoldBlanksAndAreDropped) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\upd.exe\" 3 \"C:\\My Apps\\Host.exe\""),
            TItems({"C:\\Program Files\\upd.exe", "3", "C:\\My Apps\\Host.exe"}));
  EXPECT_EQ(SplitCommandLine("upd.exe C:\\\"My Apps\"\\Host.exe"),
            TItems({"upd.exe", "C:\\My Apps\\Host.exe"}));
  EXPECT_EQ(SplitCommandLine("upd.exe a\"\"b \"x\"\"y\""), TItems({"upd.exe", "ab", "xy"}));
  EXPECT_EQ(SplitCommandLine("upd.exe \" \" \"open end"), TItems({"upd.exe", " ", "open end"}));
}

TEST(SplitCommandLine, AnEmptyPairWhereAnItemWouldBeginYieldsNoItem) {
  EXPECT_EQ(SplitCommandLine("upd.exe \"\" 3 C:\\Host.exe"),
            TItems({"upd.exe", "3", "C:\\Host.exe"}));
  EXPECT_EQ(SplitCommandLine("upd.exe \"\"\"\" \"\"3"), TItems({"upd.exe", "3"}));
  EXPECT_EQ(SplitCommandLine("upd.exe \"\""), TItems({"upd.exe"}));
}

TEST(SplitCommandLine, ItemsAfterTheSecondParameterAreSplitAlike) {
  EXPECT_EQ(SplitCommandLine("upd.exe 3 Host.exe extra \"two words\" \"\" last"),
            TItems({"upd.exe", "3", "Host.exe", "extra", "two words", "last"}));
}

TEST(CommandLineAfter, HandsOnTheRestAsItWasWritten) {
  const struct {
    const char *Line;
    size_t Count;
    const char *Rest;
  } rows[] = {
      {"relay.exe out.txt prog.exe --gtest_filter=A.*", 2, "prog.exe --gtest_filter=A.*"},
      {"\"C:\\My Tools\\relay.exe\"  \t\"Z:\\tmp\\a b\" \"Z:\\x y.exe\" \"q \\\"r\\\"\"", 2,
       "\"Z:\\x y.exe\" \"q \\\"r\\\"\""},
      {"relay.exe \"\" out.txt prog.exe", 2, "prog.exe"},
      {"relay.exe out.txt   ", 2, ""},
      {"relay.exe", 2, ""},
      {"prog.exe a  b", 0, "prog.exe a  b"},
  };
  for (const auto &row : rows)
    EXPECT_EQ(CommandLineAfter(row.Line, row.Count), row.Rest) << row.Line;
}

} // namespace
