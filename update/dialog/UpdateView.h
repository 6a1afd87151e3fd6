#pragma once

#include "framework/Event.h"

#include <cstdint>
#include <optional>
#include <string>

/// The button sets of the plain message box.
enum class TMessageButtons { Ok, YesNo, RetryCancel };

/// The user's answer to the offer with release notes.
enum class TOfferAnswer {
  Download,    // Yes, or Enter
  Decline,     // No, Esc or the close box: asked again at the next start
  SkipVersion, // this version is not offered again to a start with a switch
};

/// What a wait for the processes that run the program came to.
enum class TProgramWait {
  NoneRan,     // no process ran it
  AllEnded,    // every process that ran it has ended
  Interrupted, // the end of the updater came first
};

/// What the update dialog shows through its window, and the user's actions that reach it.
/// User-interface thread only.
class TUpdateView {
public:
  virtual ~TUpdateView() = default;

  /// Makes a click of Cancel run cancelClick, and a request to close the dialog run closeQuery.
  virtual void ConnectUserActions(TNotifyEvent cancelClick, TCloseQueryEvent closeQuery) = 0;
  /// Sets the application's title (its task-bar text) and the dialog's caption.
  virtual void SetTitle(const std::string &title) = 0;
  /// Sets the status line.
  virtual void SetStatus(const std::string &text) = 0;
  /// Sets the progress text under the picture.
  virtual void SetDownloadStatus(const std::string &text) = 0;
  /// Sets the progress bar's range to 0..maximum and its position.
  virtual void SetProgress(int32_t maximum, int32_t position) = 0;
  /// Disables the Cancel button for good.
  virtual void DisableCancel() = 0;
  /// Shows the error message dialog and returns when the user has closed it.
  virtual void ShowError(const std::string &text) = 0;
  /// Shows the plain message box and returns when the user has closed it: true for Yes or
  /// Retry. Transfer events are handled, nested, while it is up.
  virtual bool ShowMessage(const std::string &caption, const std::string &text,
                           TMessageButtons buttons) = 0;
  /// Shows the offer with the release notes in a window of its own, modal as the plain message
  /// box is: caption, question, the notes (UTF-8, plain text, line ends "\n") in a read-only area
  /// that scrolls, and Yes, No and "Skip This Version"; returns when the user has answered.
  /// Transfer events are handled, nested, while it is up.
  virtual TOfferAnswer ShowOffer(const std::string &caption, const std::string &question,
                                 const std::string &notes) = 0;
  /// Starts program through the shell, visible, with the dialog as owner; the outcome is ignored.
  virtual void StartProgram(const std::string &program) = 0;
  /// Starts the updater itself with parameters and an administrator's rights, which the system
  /// asks the user to grant where it asks; serves the dialog meanwhile and returns its exit code
  /// once it has ended, or nothing when it did not start (the user declined, or it could not).
  virtual std::optional<uint32_t> RunInstallStep(const std::string &parameters) = 0;
  /// Makes this updater the only one for program while it runs; false when another updater
  /// already is, for the same program file in any letter case.
  virtual bool ClaimProgram(const std::string &program) = 0;
  /// Brings the window of the updater that holds the program this one failed to claim to the
  /// front, where it is visible.
  virtual void ShowRunningUpdater() = 0;
  /// Shows the dialog, which a quiet start keeps hidden, in front.
  virtual void Reveal() = 0;
  /// Lowers the updater's claim on the machine for work that nobody watches: below-normal
  /// priority, and the system's background processing mode where it accepts it.
  virtual void RunInBackground() = 0;
  /// Serves the dialog until no process runs program, the same file named as the file system
  /// compares names; waits on the processes themselves.
  virtual TProgramWait WaitUntilProgramEnds(const std::string &program) = 0;
  /// Serves the dialog for milliseconds; false when the end of the updater came first.
  virtual bool Pause(uint32_t milliseconds) = 0;
  /// Asks the application to end; the dialog is destroyed once the handler has returned.
  virtual void EndProgram() = 0;
};
