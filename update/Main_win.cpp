#include "framework/win32/Application_win.h"
#include "framework/win32/DllSearch_win.h"
#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/UnforeseenEnd_win.h"
#include "framework/win32/WideText_win.h"
#include "httpget/WinInetApi_win.h"
#include "update/dialog/UpdateDlg.h"
#include "update/dialog/UpdateWindow_win.h"
#include "update/install/InstallStep.h"
#include "update/request/ProfileReader_win.h"

#include <windows.h>

namespace {

TUpdateStartup ProcessStartup() {
  return {{Utf8FromWide(GetCommandLineW()), ModuleFileName(nullptr), ReadPrivateProfileString}};
}

// The system ends the process once its window has answered the end of the session, with exit
// code 0, which tells a host that started it with a switch "up to date": the process ends itself
// first, with the outcome of the update that it abandons.
class TSessionEnd : public TObject {
public:
  TUpdateDlg *Dialog = nullptr; // once it exists

  void Ended(TObject *sender) {
    if (Dialog)
      Dialog->SessionEnds(sender);
    const bool failedUnseen = Application().FailedUnseen();
    ExitProcess(Dialog && !failedUnseen
                    ? Dialog->ExitCode()
                    : static_cast<UINT>(failedUnseen ? TUpdateOutcome::CheckFailed
                                                     : TUpdateOutcome::UpToDate));
  }
};

} // namespace

// A host that starts the updater with a switch learns from the exit code how the update went, a
// failure that nobody saw included; started without one, the updater ends with 0 however it went.
// The install step, which the updater starts itself, shows nothing, not even a failure of its own,
// and tells its outcome by its exit code.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LoadDllsFromSystemFolderOnly();
  const std::string commandLine = Utf8FromWide(GetCommandLineW());
  if (StartsInstallStep(commandLine)) {
    try {
      return static_cast<int>(InstallDownload(ProcessStartup()));
    } catch (...) {
      return static_cast<int>(TInstallOutcome::CannotWrite);
    }
  }
  TSessionEnd sessionEnd; // before the application, whose window calls it until it goes
  TApplication application;
  const TUnforeseenEndReport unforeseenEnds(application);
  const std::optional<THostRequest> request = HostRequestOf(commandLine);
  application.ShowMainForm = !request || request->Mode == TStartMode::Asked;
  try {
    application.Initialize();
    application.Title = "Updater";
    auto &window = application.Own<TUpdateWindow>();
    window.OnSessionEnds = MethodOf<&TSessionEnd::Ended>(&sessionEnd);
    auto &dialog = window.Own<TUpdateDlg>(window, WinInetApi(), ProcessStartup());
    sessionEnd.Dialog = &dialog;
    application.Run(window);
    if (!application.FailedUnseen())
      return static_cast<int>(dialog.ExitCode());
  } catch (...) {
    application.ShowException(std::current_exception());
  }
  return static_cast<int>(application.FailedUnseen() ? TUpdateOutcome::CheckFailed
                                                     : TUpdateOutcome::UpToDate);
}
