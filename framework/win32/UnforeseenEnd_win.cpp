#include "framework/win32/UnforeseenEnd_win.h"

#include "framework/ExceptionText.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

namespace {

constexpr UINT kFailedUnseen = 3; // as the runtime ends a program on an escaped exception

std::atomic<const TApplication *> reported{nullptr}; // the application of the report that lives
std::terminate_handler runtimeEnd;                   // what ends the program without the report
LPTOP_LEVEL_EXCEPTION_FILTER systemEnd;

// The application whose program shows itself; nullptr when nothing may be shown.
const TApplication *Shown() {
  const TApplication *application = reported;
  return application && !application->ShowsNothing() ? application : nullptr;
}

struct TReport {
  std::wstring Caption, Text;
};

DWORD WINAPI ShowReport(void *report) {
  const auto &shown = *static_cast<const TReport *>(report);
  MessageBoxW(nullptr, shown.Text.c_str(), shown.Caption.c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
  return 0;
}

// On a thread of its own, with a fresh stack: the failing thread may have none left, and may hold
// a lock that the box needs.
void ShowAndWait(const TApplication &application, const std::string &text) {
  TReport report{WideFromUtf8(application.Title), WideFromUtf8(text)};
  if (const HANDLE thread = CreateThread(nullptr, 0, ShowReport, &report, 0, nullptr)) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
}

[[noreturn]] void EndEscapedException() {
  std::string text = "An unexpected failure ended the program.";
  try {
    if (const std::exception_ptr error = std::current_exception())
      std::rethrow_exception(error);
  } catch (const std::exception &e) {
    text = ShownExceptionText(e.what());
  } catch (...) {
  }
  if (const TApplication *application = Shown())
    ShowAndWait(*application, text);
  TerminateProcess(GetCurrentProcess(), kFailedUnseen);
  std::abort();
}

LONG WINAPI EndCrash(EXCEPTION_POINTERS *crash) {
  const TApplication *application = Shown();
  if (!application)
    TerminateProcess(GetCurrentProcess(), kFailedUnseen);
  char text[128];
  std::snprintf(text, sizeof text,
                "An unexpected failure ended the program: exception %08lX at address %p.",
                crash->ExceptionRecord->ExceptionCode, crash->ExceptionRecord->ExceptionAddress);
  ShowAndWait(*application, text);
  return EXCEPTION_EXECUTE_HANDLER; // the process ends with the crash's code
}

} // namespace

TUnforeseenEndReport::TUnforeseenEndReport(const TApplication &application) {
  reported = &application;
  runtimeEnd = std::set_terminate(EndEscapedException);
  systemEnd = SetUnhandledExceptionFilter(EndCrash);
}

// Self-deleting workers may still fail once the application has gone: they end as they would
// without the report.
TUnforeseenEndReport::~TUnforeseenEndReport() {
  reported = nullptr;
  std::set_terminate(runtimeEnd);
  SetUnhandledExceptionFilter(systemEnd);
}
