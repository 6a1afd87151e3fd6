#pragma once

#include "update/dialog/UpdateView.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/// Stands in for the update dialog's window: writes what the dialog shows into Log, in order,
/// and answers its questions through Answer, which may also act while the box is "up".
///   "offer <caption> [question] notes [N]",
///   "title [T]", "status [S]", "downloadStatus [S]", "bar <maximum> <position>",
///   "cancel disabled", "error [text]", "box <caption> [text] yes/no", "start <program>",
///   "install <parameters>", "show running updater", "reveal", "background", "wait",
///   "pause <milliseconds>", "end"
class TRecordingView : public TUpdateView {
public:
  std::vector<std::string> Log;
  /// Decides the answer to a plain message box; unset, every box is answered No (or Cancel).
  std::function<bool(const std::string &caption)> Answer;
  /// Answers the offer with release notes; unset, it is declined.
  std::function<TOfferAnswer()> OfferAnswer;
  /// Plays the install step; unset, it never starts.
  std::function<std::optional<uint32_t>(const std::string &parameters)> InstallStep;

  /// What a click of Cancel does.
  void ClickCancel() { fCancelClick(nullptr); }
  /// What a request to close the dialog does; whether the dialog lets it close.
  bool RequestClose() {
    bool canClose = true;
    fCloseQuery(nullptr, canClose);
    Log.push_back(canClose ? "closed" : "close refused");
    return canClose;
  }

  void ConnectUserActions(TNotifyEvent cancelClick, TCloseQueryEvent closeQuery) override {
    fCancelClick = cancelClick;
    fCloseQuery = closeQuery;
  }
  void SetTitle(const std::string &title) override { Log.push_back("title [" + title + "]"); }
  void SetStatus(const std::string &text) override { Log.push_back("status [" + text + "]"); }
  void SetDownloadStatus(const std::string &text) override {
    Log.push_back("downloadStatus [" + text + "]");
  }
  void SetProgress(int32_t maximum, int32_t position) override {
    Log.push_back("bar " + std::to_string(maximum) + " " + std::to_string(position));
  }
  void DisableCancel() override { Log.push_back("cancel disabled"); }
  void ShowError(const std::string &text) override { Log.push_back("error [" + text + "]"); }
  bool ShowMessage(const std::string &caption, const std::string &text,
                   TMessageButtons buttons) override {
    static const char *const kButtons[] = {"ok", "yes/no", "retry/cancel"};
    Log.push_back("box " + caption + " [" + text + "] " + kButtons[static_cast<int>(buttons)]);
    return Answer && Answer(caption);
  }
  TOfferAnswer ShowOffer(const std::string &caption, const std::string &question,
                         const std::string &notes) override {
    Log.push_back("offer " + caption + " [" + question + "] notes [" + notes + "]");
    return OfferAnswer ? OfferAnswer() : TOfferAnswer::Decline;
  }
  void StartProgram(const std::string &program) override { Log.push_back("start " + program); }
  std::optional<uint32_t> RunInstallStep(const std::string &parameters) override {
    Log.push_back("install " + parameters);
    return InstallStep ? InstallStep(parameters) : std::nullopt;
  }
  bool ClaimProgram(const std::string &) override { return true; }
  void ShowRunningUpdater() override { Log.push_back("show running updater"); }
  void Reveal() override { Log.push_back("reveal"); }
  void RunInBackground() override { Log.push_back("background"); }
  TProgramWait WaitUntilProgramEnds(const std::string &) override {
    Log.push_back("wait");
    return TProgramWait::NoneRan;
  }
  bool Pause(uint32_t milliseconds) override {
    Log.push_back("pause " + std::to_string(milliseconds));
    return true;
  }
  void EndProgram() override { Log.push_back("end"); }

private:
  TNotifyEvent fCancelClick;
  TCloseQueryEvent fCloseQuery;
};
