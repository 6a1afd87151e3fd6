#include "framework/win32/UiThreadWindow_win.h"

#include <gtest/gtest.h>

// The tests run on the main thread, which is the user-interface thread of the components they
// drive: workers' calls reach it through the same hidden window as in the program.
int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  TUiThreadWindow ui([](std::exception_ptr) { ADD_FAILURE() << "an event handler raised"; });
  SetUiThread(ui);
  return RUN_ALL_TESTS();
}
