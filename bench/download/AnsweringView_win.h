#pragma once

#include "bench/download/Measures_win.h"
#include "update/dialog/UpdateView.h"
#include "update/dialog/UpdateWindow_win.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

/// The real window, except that the benchmark answers the offer (Yes: the clock starts) and the
/// question after the download (No: the clock stops) itself. Failures are printed, not shown:
/// nobody would close their boxes.
class TAnsweringView final : public TUpdateView {
public:
  explicit TAnsweringView(TUpdateWindow &window) : fWindow(window) {}

  TClock::time_point Started, Finished;
  std::atomic<bool> Downloaded{false};
  std::atomic<bool> Failed{false};
  std::atomic<int32_t> Maximum{0}, Position{0}; // read by the thread that clicks Cancel

  void ConnectUserActions(TNotifyEvent cancelClick, TCloseQueryEvent closeQuery) override {
    fWindow.ConnectUserActions(cancelClick, closeQuery);
  }
  void SetTitle(const std::string &title) override { fWindow.SetTitle(title); }
  void SetStatus(const std::string &text) override { fWindow.SetStatus(text); }
  void SetDownloadStatus(const std::string &text) override { fWindow.SetDownloadStatus(text); }
  void SetProgress(int32_t maximum, int32_t position) override;
  void DisableCancel() override { fWindow.DisableCancel(); }
  void ShowError(const std::string &text) override { Fail(text); }
  bool ShowMessage(const std::string &caption, const std::string &text,
                   TMessageButtons buttons) override;
  TOfferAnswer ShowOffer(const std::string &caption, const std::string &question,
                         const std::string &notes) override {
    return fWindow.ShowOffer(caption, question, notes);
  }
  void StartProgram(const std::string &program) override { fWindow.StartProgram(program); }
  std::optional<uint32_t> RunInstallStep(const std::string &parameters) override {
    return fWindow.RunInstallStep(parameters);
  }
  bool ClaimProgram(const std::string &program) override { return fWindow.ClaimProgram(program); }
  void ShowRunningUpdater() override { fWindow.ShowRunningUpdater(); }
  void Reveal() override { fWindow.Reveal(); }
  void RunInBackground() override { fWindow.RunInBackground(); }
  TProgramWait WaitUntilProgramEnds(const std::string &program) override {
    return fWindow.WaitUntilProgramEnds(program);
  }
  bool Pause(uint32_t milliseconds) override { return fWindow.Pause(milliseconds); }
  void EndProgram() override { fWindow.EndProgram(); }

private:
  void Fail(const std::string &text);

  TUpdateWindow &fWindow;
};
