#pragma once

#include "framework/win32/Button_win.h"
#include "framework/win32/Form_win.h"
#include "framework/win32/Image_win.h"
#include "framework/win32/Label_win.h"
#include "framework/win32/ProgressBar_win.h"
#include "update/dialog/UpdateView.h"
#include "update/install/ProgramClaim_win.h"

#include <optional>

/// The update dialog's window: its picture, status line, progress text, progress bar and
/// Cancel button, and a system menu reduced to Move and "About...".
class TUpdateWindow : public TForm, public TUpdateView {
public:
  /// The system command of the "About..." item.
  static constexpr WPARAM IDM_ABOUT = 0x1000;

  explicit TUpdateWindow(TComponent *owner);

  TImage &Image1;
  TLabel &Status;
  TButton &Cancel;
  TLabel &DownloadStatus;
  TProgressBar &Progress;

  void ConnectUserActions(TNotifyEvent cancelClick, TCloseQueryEvent closeQuery) override;
  void SetTitle(const std::string &title) override;
  void SetStatus(const std::string &text) override;
  void SetDownloadStatus(const std::string &text) override;
  void SetProgress(int32_t maximum, int32_t position) override;
  void DisableCancel() override;
  void ShowError(const std::string &text) override;
  bool ShowMessage(const std::string &caption, const std::string &text,
                   TMessageButtons buttons) override;
  TOfferAnswer ShowOffer(const std::string &caption, const std::string &question,
                         const std::string &notes) override;
  void StartProgram(const std::string &program) override;
  std::optional<uint32_t> RunInstallStep(const std::string &parameters) override;
  bool ClaimProgram(const std::string &program) override;
  void ShowRunningUpdater() override;
  void Reveal() override;
  void RunInBackground() override;
  TProgramWait WaitUntilProgramEnds(const std::string &program) override;
  bool Pause(uint32_t milliseconds) override;
  void EndProgram() override;

protected:
  /// "About..." (the whole value IDM_ABOUT) opens a new About box; every other command goes to
  /// the usual handling.
  void WMSysCommand(WPARAM command, LPARAM position) override;
  /// Draws the progress that waited for its turn.
  void WMTimer(UINT_PTR timer) override;

private:
  void ReduceSystemMenu();
  /// Draws the reported progress when the last drawing is long enough ago, or the download is
  /// complete; otherwise once its turn comes.
  void DrawProgressInTurn();
  void DrawProgress();

  // The download's progress as last reported, which the bar and its text show once drawn.
  int32_t fMaximum = 0, fPosition = 0;
  std::string fDownloadStatus;
  ULONGLONG fLastDrawn = 0; // GetTickCount64 when the progress was last drawn
  bool fDrawPending = false;
  std::optional<TProgramClaim> fClaim; // held until the window goes
};
