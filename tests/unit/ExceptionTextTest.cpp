#include "framework/ExceptionText.h"

#include <gtest/gtest.h>

namespace {

TEST(ExceptionText, AppendsAFullStopAfterACharacterAboveIt) {
  EXPECT_EQ(ShownExceptionText("'ab' is not a valid integer value"),
            "'ab' is not a valid integer value.");
  EXPECT_EQ(ShownExceptionText("Disk full/"), "Disk full/.");
  EXPECT_EQ(ShownExceptionText("Why?"), "Why?.");
  EXPECT_EQ(ShownExceptionText("Caf\xE9"), "Caf\xE9.");
}

TEST(ExceptionText, KeepsATextEndingInAFullStopOrBelowIt) {
  EXPECT_EQ(ShownExceptionText("Done."), "Done.");
  EXPECT_EQ(ShownExceptionText("Stop!"), "Stop!");
  EXPECT_EQ(ShownExceptionText("(1-2)"), "(1-2)");
  EXPECT_EQ(ShownExceptionText("a,"), "a,");
  EXPECT_EQ(ShownExceptionText(""), "");
}

} // namespace
