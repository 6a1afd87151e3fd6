#include "framework/win32/Application_win.h"

#include "framework/ExceptionText.h"
#include "framework/win32/Form_win.h"
#include "framework/win32/UiThreadWindow_win.h"
#include "framework/win32/WideText_win.h"

#include <commctrl.h>

#include <cassert>
#include <stdexcept>

namespace {

TApplication *theApplication = nullptr;

std::string MessageOf(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
    return "An unknown failure occurred";
  }
}

} // namespace

TApplication::TApplication() : TComponent(nullptr) {
  assert(!theApplication && "there is one application object");
  theApplication = this;
}

// The forms go while the application that they report to still exists.
TApplication::~TApplication() {
  DestroyComponents();
  theApplication = nullptr;
}

TApplication &Application() {
  assert(theApplication);
  return *theApplication;
}

void TApplication::Initialize() {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  // Never destroyed: self-deleting workers may call onto this thread until the process ends.
  static TUiThreadWindow &uiThread = *new TUiThreadWindow([](std::exception_ptr error) {
    if (theApplication)
      theApplication->ShowException(error);
  });
  SetUiThread(uiThread);
}

void TApplication::Run(TForm &mainForm) {
  fMainForm = &mainForm;
  mainForm.OnClosingEnds = MethodOf<&TApplication::MainFormClosed>(this);
  if (!fTerminated && ShowMainForm)
    mainForm.Show();
  MSG message;
  while (!fTerminated && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(mainForm.Handle(), &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TApplication::MainFormClosed(TObject *) { Terminate(); }

void TApplication::Terminate() {
  fTerminated = true;
  PostQuitMessage(0);
}

bool TApplication::ShowsNothing() const {
  return !ShowMainForm && !(fMainForm && IsWindowVisible(fMainForm->Handle()));
}

// A program that shows nothing must not show its first window as a failure box; what it was
// doing cannot go on, so it ends, and its exit code says that it failed.
void TApplication::ShowException(std::exception_ptr error) {
  if (ShowsNothing()) {
    fFailedUnseen = true;
    Terminate();
    return;
  }
  MessageBoxW(nullptr, WideFromUtf8(ShownExceptionText(MessageOf(error))).c_str(),
              WideFromUtf8(Title).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}
