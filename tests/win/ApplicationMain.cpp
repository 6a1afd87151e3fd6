#include "framework/win32/Application_win.h"

#include <gtest/gtest.h>

// The tests run on the main thread, the user-interface thread of the application object that
// the forms under test report to, as in the program.
int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  TApplication application;
  application.Initialize();
  return RUN_ALL_TESTS();
}
