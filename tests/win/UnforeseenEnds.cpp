// A program built as the updater is, with the updater's window and report of unforeseen ends:
// started without parameters, it starts itself once for each failure that nothing handles, shown
// and hidden, and expects what the user sees and the exit code that the host reads.

#include "drivers/MessageBoxView.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/UnforeseenEnd_win.h"
#include "update/dialog/UpdateWindow_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

// A worker fails while the application runs: an exception escapes it, or it writes at an address
// where nothing is mapped, which comes from the command line so that the compiler cannot see it.
int FailWhileRunning(const std::string &failure, bool shown, uintptr_t nowhere) {
  TApplication application;
  application.Initialize();
  application.Title = "Failure Test";
  application.ShowMainForm = shown;
  const TUnforeseenEndReport unforeseenEnds(application);
  auto &window = application.Own<TUpdateWindow>();
  std::thread([failure, nowhere] {
    Sleep(300);
    if (failure == "thrown")
      throw std::runtime_error("The list is full");
    *reinterpret_cast<volatile int *>(nowhere) = 1;
  }).detach();
  application.Run(window);
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 4)
    return FailWhileRunning(argv[1], std::string(argv[2]) == "shown", std::stoul(argv[3]));
  const struct {
    const char *Arguments;
    const char *Box; // the box's text as it begins
    DWORD ExitCode;
  } rows[] = {{"thrown shown 0", "The list is full.", 3},
              {"thrown hidden 0", "(none)", 3},
              {"crash shown 8", "An unexpected failure ended the program: exception C0000005",
               EXCEPTION_ACCESS_VIOLATION},
              {"crash hidden 8", "(none)", 3}};
  int failed = 0;
  for (const auto &row : rows) {
    TUpdaterProcess program(argv[0], row.Arguments);
    HWND box = nullptr;
    WaitUntil([&] {
      return (box = VisibleMessageBox(program.Id(), "Failure Test")) || !program.Running();
    });
    const std::string text = box ? ReadMessageBox(box).Text : "(none)";
    if (box)
      ClickButton(box, "OK");
    const DWORD exitCode = program.WaitForExitCode().value_or(0);
    const bool passed = text.rfind(row.Box, 0) == 0 && exitCode == row.ExitCode;
    std::printf("%s: box %s, exit code 0x%08lX: %s\n", row.Arguments, text.c_str(),
                static_cast<unsigned long>(exitCode), passed ? "passed" : "FAILED");
    failed += !passed;
  }
  std::printf("%d passed, %d failed\n", 4 - failed, failed);
  return failed;
}
