#pragma once

#include <string>

/// What the update dialog shows through its window. User-interface thread only.
class TUpdateView {
public:
  virtual ~TUpdateView() = default;

  /// Sets the application's title (its task-bar text) and the dialog's caption.
  virtual void SetTitle(const std::string &title) = 0;
  /// Sets the status line.
  virtual void SetStatus(const std::string &text) = 0;
  /// Shows the error message dialog and returns when the user has closed it.
  virtual void ShowError(const std::string &text) = 0;
  /// Asks the application to end; the dialog is destroyed once the handler has returned.
  virtual void EndProgram() = 0;
};
