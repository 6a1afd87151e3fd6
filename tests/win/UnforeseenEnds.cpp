// A program built as the updater is, with its report of unforeseen ends: started without
// parameters, it starts itself once for each failure that nothing can handle, and expects what
// the user sees and the exit code that the host reads. Writing past a buffer on the stack, by the
// stack protector's guard or by a checked buffer call, ends it at once with
// STATUS_STACK_BUFFER_OVERRUN; an exception that escapes a worker, or a crash, is shown where the
// window shows.

#include "drivers/MessageBoxView.h"
#include "drivers/UpdaterProcess.h"
#include "drivers/WaitBound.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/Form_win.h"
#include "framework/win32/UnforeseenEnd_win.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

class TPlainForm : public TForm {
public:
  explicit TPlainForm(TComponent *owner)
      : TForm(owner,
              {"TPlainForm", 200, 100, WS_OVERLAPPEDWINDOW, 0, false, "MS Sans Serif", -11}) {}
};

// The number comes from the command line, so that the compiler cannot see the failure coming: a
// length past the buffer, or an address where nothing is mapped.
void Fail(const std::string &failure, size_t number) {
  char buffer[8];
  if (failure == "checked") {
    std::memset(buffer, 'x', number); // a checked call: the buffer's size is known here
  } else if (failure == "guarded") {
    volatile char *bytes = buffer; // byte by byte: only the guard can tell
    for (size_t i = 0; i < number; ++i)
      bytes[i] = 'x';
  } else if (failure == "thrown") {
    throw std::runtime_error("The list is full");
  } else {
    *reinterpret_cast<volatile int *>(number) = 1;
  }
  std::printf("%.1s\n", buffer);
}

// A worker fails while the application runs.
int FailWhileRunning(const std::string &failure, bool shown, size_t number) {
  TApplication application;
  application.Initialize();
  application.Title = "Failure Test";
  application.ShowMainForm = shown;
  const TUnforeseenEndReport unforeseenEnds(application);
  auto &form = application.Own<TPlainForm>();
  std::thread([failure, number] {
    Sleep(300);
    Fail(failure, number);
  }).detach();
  application.Run(form);
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
  } rows[] = {{"guarded hidden 64", "(none)", STATUS_STACK_BUFFER_OVERRUN},
              {"checked shown 64", "(none)", STATUS_STACK_BUFFER_OVERRUN},
              {"thrown shown 0", "The list is full.", 3},
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
  std::printf("%d passed, %d failed\n", 6 - failed, failed);
  return failed;
}
