#include "framework/win32/Application_win.h"
#include "framework/win32/DllSearch_win.h"
#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/WideText_win.h"
#include "httpget/WinInetApi_win.h"
#include "update/InstallStep.h"
#include "update/ProfileReader_win.h"
#include "update/UpdateDlg.h"
#include "update/UpdateWindow_win.h"

#include <windows.h>

namespace {

TUpdateStartup ProcessStartup() {
  return {Utf8FromWide(GetCommandLineW()), ModuleFileName(nullptr), ReadPrivateProfileString};
}

} // namespace

// A host that starts the updater quietly learns from the exit code how the update went; started
// otherwise, the updater ends with 0 however it went, and stays hidden only when quiet. The install
// step, which the updater starts itself, shows nothing, not even a failure of its own, and
// tells its outcome by its exit code.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LoadDllsFromSystemFolderOnly();
  if (StartsInstallStep(Utf8FromWide(GetCommandLineW()))) {
    try {
      return static_cast<int>(InstallDownload(ProcessStartup()));
    } catch (...) {
      return static_cast<int>(TInstallOutcome::CannotWrite);
    }
  }
  TApplication application;
  try {
    application.Initialize();
    application.Title = "Updater";
    auto &window = application.Own<TUpdateWindow>();
    const auto &dialog = window.Own<TUpdateDlg>(window, WinInetApi(), ProcessStartup());
    application.ShowMainForm = !dialog.Quiet();
    application.Run(window);
    return static_cast<int>(dialog.ExitCode());
  } catch (...) {
    application.ShowException(std::current_exception());
  }
  return 0;
}
