#include "drivers/WineDesktop.h"

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  const std::string exitCodeFile = ExitCodeFileArgument();
  if (exitCodeFile.empty() && RunningUnderWine())
    return RunInVirtualDesktop();
  ::testing::InitGoogleTest(&argc, argv);
  const int exitCode = RUN_ALL_TESTS();
  if (!exitCodeFile.empty())
    RecordExitCode(exitCodeFile, exitCode);
  return exitCode;
}
