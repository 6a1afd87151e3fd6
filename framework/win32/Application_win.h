#pragma once

#include "framework/Component.h"
#include <exception>
#include <string>

class TForm;

/// The program's application object: its title, its message loop, the user-interface thread
/// that workers call onto, and the report of failures that no handler caught.
/// User-interface thread only.
class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  /// The name the program goes by; also the caption of its failure reports.
  std::string Title;
  /// Whether Run shows the main form; a form kept hidden shows itself when it has to.
  bool ShowMainForm = true;

  /// Prepares the window classes and the user-interface thread for workers.
  void Initialize();
  /// Shows mainForm, unless ShowMainForm is false or the end has already been asked for, and
  /// dispatches messages until
  /// it is; closing mainForm asks for the end.
  void Run(TForm &mainForm);
  /// Asks for the end: the message loop stops when it next looks for a message.
  void Terminate();
  /// Whether the end has been asked for.
  bool Terminated() const { return fTerminated; }
  /// Shows a failure in a message box captioned with Title. While the main form is kept hidden,
  /// nobody is there to read it: the failure ends the run unseen instead (see FailedUnseen).
  void ShowException(std::exception_ptr error);
  /// Whether the run ended on a failure that nobody was shown.
  bool FailedUnseen() const { return fFailedUnseen; }
  /// Whether the program shows nothing: its main form is kept hidden and has not shown itself.
  /// Any thread.
  bool ShowsNothing() const;

private:
  void MainFormClosed(TObject *sender);

  TForm *fMainForm = nullptr;
  bool fTerminated = false;
  bool fFailedUnseen = false;
};

/// The one application object, which the program entry creates first.
TApplication &Application();
