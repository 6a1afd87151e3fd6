#include "update/dialog/UpdateWindow_win.h"

#include "framework/UiThread.h"
#include "framework/win32/Application_win.h"
#include "framework/win32/Handles_win.h"
#include "framework/win32/MessageWait_win.h"
#include "framework/win32/MessageWindows_win.h"
#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/WholePath_win.h"
#include "framework/win32/WideText_win.h"
#include "update/Resources.h"
#include "update/dialog/AboutDlg_win.h"
#include "update/dialog/OfferDlg_win.h"
#include "update/install/ProgramProcesses_win.h"

#include <shellapi.h>

namespace {

constexpr UINT_PTR kProgressTimer = 1;

const TFormLayout kLayout = {
    "TUpdateDlg",    376, 119,        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, true,
    "MS Sans Serif", -11, IDI_UPDATER};

} // namespace

TUpdateWindow::TUpdateWindow(TComponent *owner)
    : TForm(owner, kLayout), Image1(Own<TImage>(*this, TBounds{8, 6, 32, 32}, IDB_PICTURE)),
      Status(Own<TLabel>(*this, TBounds{48, 11, 165, 13}, "Preparing to check for an update...")),
      Cancel(Own<TButton>(*this, TBounds{291, 87, 75, 23}, "Cancel", true)),
      DownloadStatus(Own<TLabel>(*this, TBounds{8, 72, 3, 13}, "")),
      Progress(Own<TProgressBar>(*this, TBounds{8, 88, 273, 16})) {
  Image1.Name = "Image1";
  Status.Name = "Status";
  Cancel.Name = "Cancel";
  DownloadStatus.Name = "DownloadStatus";
  Progress.Name = "Progress";
  Progress.Cursor = LoadCursorW(nullptr, IDC_WAIT);
  ReduceSystemMenu();
}

// Appended past the end of the menu, the item lands as its last entry; without Close the
// caption bar's close box is disabled too.
void TUpdateWindow::ReduceSystemMenu() {
  HMENU menu = GetSystemMenu(Handle(), FALSE);
  wchar_t text[] = L"About...";
  MENUITEMINFOW item = {};
  item.cbSize = sizeof item;
  item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
  item.fType = MFT_STRING;
  item.fState = 0;
  item.wID = IDM_ABOUT;
  item.dwTypeData = text;
  item.cch = 0;
  InsertMenuItemW(menu, SC_CLOSE, TRUE, &item);
  for (UINT command : {SC_CLOSE, SC_RESTORE, SC_MAXIMIZE, SC_MINIMIZE, SC_SIZE})
    DeleteMenu(menu, command, MF_BYCOMMAND);
}

void TUpdateWindow::WMSysCommand(WPARAM command, LPARAM position) {
  if (command != IDM_ABOUT) {
    TForm::WMSysCommand(command, position);
    return;
  }
  // Each box is kept, hidden, until the update dialog goes.
  AboutDlg = &Own<TAboutDlg>();
  AboutDlg->ShowModal();
}

void TUpdateWindow::ConnectUserActions(TNotifyEvent cancelClick, TCloseQueryEvent closeQuery) {
  Cancel.OnClick = cancelClick;
  OnCloseQuery = closeQuery;
}

void TUpdateWindow::SetTitle(const std::string &title) {
  Application().Title = title;
  SetCaption(title);
}

void TUpdateWindow::SetStatus(const std::string &text) { Status.SetCaption(text); }

void TUpdateWindow::SetDownloadStatus(const std::string &text) {
  fDownloadStatus = text;
  DrawProgressInTurn();
}

void TUpdateWindow::SetProgress(int32_t maximum, int32_t position) {
  fMaximum = maximum;
  fPosition = position;
  DrawProgressInTurn();
}

// Each drawing of the bar or its text costs milliseconds, and progress arrives with every chunk
// of 1025 bytes: ten drawings a second follow the download as closely as the eye can, and the
// timer draws what the last report said when the download pauses.
void TUpdateWindow::DrawProgressInTurn() {
  constexpr ULONGLONG kDrawInterval = 100; // milliseconds
  const ULONGLONG now = GetTickCount64();
  if (fPosition == fMaximum || now - fLastDrawn >= kDrawInterval) {
    DrawProgress();
    return;
  }
  if (!fDrawPending)
    fDrawPending = SetTimer(Handle(), kProgressTimer,
                            static_cast<UINT>(kDrawInterval - (now - fLastDrawn)), nullptr) != 0;
}

// The bar takes the whole 32-bit range, so it is right for every file up to 2 GiB.
void TUpdateWindow::DrawProgress() {
  if (fDrawPending)
    KillTimer(Handle(), kProgressTimer);
  fDrawPending = false;
  fLastDrawn = GetTickCount64();
  Progress.SetRange(0, fMaximum);
  Progress.SetPosition(fPosition);
  DownloadStatus.SetCaption(fDownloadStatus);
}

void TUpdateWindow::WMTimer(UINT_PTR timer) {
  if (timer == kProgressTimer)
    DrawProgress();
}

void TUpdateWindow::DisableCancel() { EnableWindow(Cancel.Handle(), FALSE); }

void TUpdateWindow::ShowError(const std::string &text) { ShowErrorMessage(text); }

bool TUpdateWindow::ShowMessage(const std::string &caption, const std::string &text,
                                TMessageButtons buttons) {
  switch (buttons) {
  case TMessageButtons::YesNo:
    return ShowMessageBox(text, caption, MB_YESNO) == IDYES;
  case TMessageButtons::RetryCancel:
    return ShowMessageBox(text, caption, MB_RETRYCANCEL) == IDRETRY;
  default:
    ShowMessageBox(text, caption, MB_OK);
    return false;
  }
}

// The offer, with its notes, goes once it is answered.
TOfferAnswer TUpdateWindow::ShowOffer(const std::string &caption, const std::string &question,
                                      const std::string &notes) {
  TOfferDlg offer(this, caption, question, notes);
  return offer.Ask();
}

void TUpdateWindow::StartProgram(const std::string &program) {
  ShellExecuteW(Handle(), L"open", WideFromUtf8(program).c_str(), nullptr, nullptr, SW_SHOW);
}

// "runas" asks for the administrator's consent where UAC is on; SEE_MASK_FLAG_NO_UI keeps the
// shell's own error boxes away, since the dialog tells the user itself. An elevated process
// starts in the system folder unless told otherwise, so it is given this one's, where the same
// paths name the same files. The window keeps painting and answering while the step runs.
std::optional<uint32_t> TUpdateWindow::RunInstallStep(const std::string &parameters) {
  const std::wstring updater = WideFromUtf8(ModuleFileName(nullptr));
  const std::wstring wideParameters = WideFromUtf8(parameters);
  const std::wstring folder = WideFromUtf8(WholePath(GetCurrentDirectoryW));
  if (folder.empty())
    return std::nullopt;
  SHELLEXECUTEINFOW execute{};
  execute.cbSize = sizeof execute;
  execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  execute.hwnd = Handle();
  execute.lpVerb = L"runas";
  execute.lpFile = updater.c_str();
  execute.lpParameters = wideParameters.c_str();
  execute.lpDirectory = folder.c_str();
  execute.nShow = SW_HIDE;
  if (!ShellExecuteExW(&execute) || !execute.hProcess)
    return std::nullopt;
  const TKernelHandle process(execute.hProcess);
  const HANDLE waitFor = process.Get();
  while (MsgWaitForMultipleObjects(1, &waitFor, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
    UiThread().ProcessMessages();
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(waitFor, &exitCode))
    return std::nullopt;
  return exitCode;
}

bool TUpdateWindow::ClaimProgram(const std::string &program) {
  fClaim.emplace(program);
  return fClaim->Take(Handle());
}

void TUpdateWindow::ShowRunningUpdater() {
  if (fClaim)
    fClaim->ShowHolder();
}

void TUpdateWindow::Reveal() {
  Show();
  SetForegroundWindow(Handle());
}

// The class first, which every Windows knows; the background mode then also puts the updater's
// disk and memory use behind every other program's where the system has it.
void TUpdateWindow::RunInBackground() {
  SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS);
  SetPriorityClass(GetCurrentProcess(), PROCESS_MODE_BACKGROUND_BEGIN);
}

// A process may start while others are waited for: the search is made again until it finds none.
TProgramWait TUpdateWindow::WaitUntilProgramEnds(const std::string &program) {
  TProgramWait outcome = TProgramWait::NoneRan;
  for (std::vector<TKernelHandle> running = ProcessesRunning(program); !running.empty();
       running = ProcessesRunning(program)) {
    outcome = TProgramWait::AllEnded;
    std::vector<HANDLE> processes;
    for (const TKernelHandle &process : running)
      processes.push_back(process.Get());
    if (!ServeMessagesUntilSignalled(std::move(processes)))
      return TProgramWait::Interrupted;
  }
  return outcome;
}

bool TUpdateWindow::Pause(uint32_t milliseconds) { return ServeMessagesFor(milliseconds); }

void TUpdateWindow::EndProgram() { Application().Terminate(); }
