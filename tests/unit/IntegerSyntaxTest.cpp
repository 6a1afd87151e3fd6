#include "framework/IntegerSyntax.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

TEST(StrToInt, ReadsDecimalAfterLeadingSpacesWithAnOptionalSign) {
  EXPECT_EQ(StrToInt("0"), 0);
  EXPECT_EQ(StrToInt("42"), 42);
  EXPECT_EQ(StrToInt("   42"), 42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt(" -7"), -7);
  EXPECT_EQ(StrToInt("-0"), 0);
  EXPECT_EQ(StrToInt("0010"), 10);
}

TEST(StrToInt, ReadsHexadecimalAfterEachPrefix) {
  for (const char *text : {"$1F", "x1f", "X1F", "0x1F", "0X1f", "  $1F", "$001F"})
    EXPECT_EQ(StrToInt(text), 31) << text;
}

TEST(StrToInt, DecimalMustFitThe32BitSignedRange) {
  EXPECT_EQ(StrToInt("2147483647"), kMax);
  EXPECT_EQ(StrToInt("-2147483648"), kMin);
  EXPECT_EQ(StrToInt("0000000000002147483647"), kMax);
  for (const char *text : {"2147483648", "-2147483649", "4294967295", "99999999999999999999"})
    EXPECT_THROW(StrToInt(text), EConvertError) << text;
}

TEST(StrToInt, HexadecimalGivesThe32BitsAsWritten) {
  EXPECT_EQ(StrToInt("$7FFFFFFF"), kMax);
  EXPECT_EQ(StrToInt("$80000000"), kMin);
  EXPECT_EQ(StrToInt("0xFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("$0000000000FF"), 255);
  EXPECT_THROW(StrToInt("$100000000"), EConvertError);
}

TEST(StrToInt, RejectsWhatIsNotAWholeNumber) {
  for (const char *text :
       {"",    " ",  "+",   "-",   "$",    "x",    "0x", "12 ",  "1 2", "\t1", "1.0",
        "1e3", "1a", "-$1", "$-1", "+0x1", "0x-1", "$G", "0x 1", "--1", "ab"})
    EXPECT_THROW(StrToInt(text), EConvertError) << '"' << text << '"';
}

TEST(StrToInt, TheErrorQuotesTheText) {
  try {
    StrToInt("ab");
    FAIL() << "converted";
  } catch (const EConvertError &error) {
    EXPECT_STREQ(error.what(), "'ab' is not a valid integer value");
  }
}

} // namespace
