#include "drivers/MessageBoxView.h"
#include "drivers/WaitBound.h"
#include "drivers/WindowFinder.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/Form_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <stdexcept>
#include <thread>

namespace {

// A form whose handler fails soon after the run starts, as one of the program's may.
class TFailingForm : public TForm {
public:
  explicit TFailingForm(TComponent *owner)
      : TForm(owner,
              {"TFailingForm", 200, 100, WS_OVERLAPPEDWINDOW, 0, false, "MS Sans Serif", -11}) {
    SetTimer(Handle(), 1, 50, nullptr);
  }

protected:
  void WMTimer(UINT_PTR timer) override {
    KillTimer(Handle(), timer);
    throw std::runtime_error("The list is full");
  }
};

// ShowMainForm, whether the form shows itself before it fails, whether a box tells the failure.
class ApplicationFailure : public ::testing::TestWithParam<std::tuple<bool, bool, bool>> {};

TEST_P(ApplicationFailure, IsShownOnlyWhereTheProgramShowsItself) {
  const auto [showMainForm, shownBeforeFailure, boxShown] = GetParam();
  TApplication application;
  application.Initialize();
  application.Title = "Failure Test";
  application.ShowMainForm = showMainForm;
  auto &form = application.Own<TFailingForm>();
  if (shownBeforeFailure)
    form.Show();
  // A user answers a failure box with OK and then closes the form; a run that ends by itself
  // leaves nothing to answer.
  std::atomic<bool> ended{false};
  std::optional<TMessageBoxView> box;
  std::thread user([&, mainWindow = form.Handle()] {
    HWND shown = nullptr;
    WaitUntil([&] {
      for (HWND window : TopLevelWindowsOf(GetCurrentProcessId()))
        if (IsVisibleDialogBox(window))
          shown = window;
      return ended || shown;
    });
    if (shown) {
      box = ReadMessageBox(shown);
      ClickButton(shown, "OK");
    }
    if (!ended)
      PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  });
  // An earlier run in this process ended with a request to quit that is still queued.
  MSG quit;
  PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  application.Run(form);
  ended = true;
  user.join();

  ASSERT_EQ(box.has_value(), boxShown);
  EXPECT_EQ(application.FailedUnseen(), !boxShown);
  if (box) {
    EXPECT_EQ(box->Caption + ": " + box->Text, "Failure Test: The list is full.");
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, ApplicationFailure,
                         ::testing::Values(std::make_tuple(true, false, true),
                                           std::make_tuple(false, false, false),
                                           std::make_tuple(false, true, true)));

} // namespace
