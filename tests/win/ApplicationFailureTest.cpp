#include "framework/win32/Application_win.h"
#include "framework/win32/Form_win.h"

#include "drivers/MessageBoxView.h"
#include "drivers/WaitBound.h"
#include "drivers/WindowFinder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

const TFormLayout kLayout = {"TFailingTestForm", 200, 100, WS_OVERLAPPEDWINDOW, 0, false,
                             "MS Sans Serif",    -11};

// A form whose handler fails soon after the run starts, as one of the program's may.
class TFailingForm : public TForm {
public:
  explicit TFailingForm(TComponent *owner) : TForm(owner, kLayout) {
    SetTimer(Handle(), 1, 50, nullptr);
  }

protected:
  void WMTimer(UINT_PTR timer) override {
    KillTimer(Handle(), timer);
    throw std::runtime_error("The list is full");
  }
};

HWND VisibleBoxOfThisProcess() {
  for (HWND window : TopLevelWindowsOf(GetCurrentProcessId()))
    if (IsVisibleDialogBox(window))
      return window;
  return nullptr;
}

// Runs the application as a user who answers a failure box with OK and then closes the form;
// the box the user saw, if any.
std::optional<TMessageBoxView> RunAsUser(TApplication &application, TForm &form) {
  std::atomic<bool> ended{false};
  std::optional<TMessageBoxView> seen;
  const HWND mainWindow = form.Handle();
  // An earlier run in this process ended with a request to quit that is still queued.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  std::thread user([&] {
    HWND box = nullptr;
    WaitUntil([&] { return ended || (box = VisibleBoxOfThisProcess()) != nullptr; });
    if (box) {
      seen = ReadMessageBox(box);
      ClickButton(box, "OK");
    }
    if (!ended)
      PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  });
  application.Run(form);
  ended = true;
  user.join();
  return seen;
}

struct TFailureRow {
  const char *Name;
  bool ShowMainForm;
  bool ShownBeforeFailure; // the form shows itself before its handler fails
  bool BoxShown;           // else the run ends on its own, the failure unseen
};

class ApplicationFailure : public ::testing::TestWithParam<TFailureRow> {};

TEST_P(ApplicationFailure, IsShownOnlyWhereTheProgramShowsItself) {
  const TFailureRow &row = GetParam();
  TApplication application;
  application.Initialize();
  application.Title = "Failure Test";
  application.ShowMainForm = row.ShowMainForm;
  auto &form = application.Own<TFailingForm>();
  if (row.ShownBeforeFailure)
    form.Show();

  const std::optional<TMessageBoxView> box = RunAsUser(application, form);

  ASSERT_EQ(box.has_value(), row.BoxShown);
  EXPECT_EQ(application.FailedUnseen(), !row.BoxShown);
  if (box) {
    EXPECT_EQ(box->Caption, "Failure Test");
    EXPECT_EQ(box->Text, "The list is full.");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ApplicationFailure,
    ::testing::Values(TFailureRow{"main_form_shown", true, false, true},
                      TFailureRow{"main_form_kept_hidden", false, false, false},
                      TFailureRow{"hidden_form_that_showed_itself", false, true, true}),
    [](const ::testing::TestParamInfo<TFailureRow> &info) { return info.param.Name; });

} // namespace
