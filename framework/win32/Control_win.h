#pragma once

#include "framework/Component.h"
#include "framework/win32/Form_win.h"
#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <string>

/// A child window of a form: a label, a button, a progress bar, a picture, a text to read.
class TControl : public TComponent {
public:
  HWND Handle() const { return fWindow.Get(); }
  int Id() const { return fId; }
  /// Sets the window's text; a control that lays itself out by its text does so again.
  virtual void SetCaption(const std::string &caption);
  std::string Caption() const;

  /// The mouse cursor over the control; nullptr: the window class's own.
  HCURSOR Cursor = nullptr;

  /// A notification code that the control sent to its form (WM_COMMAND).
  virtual void Command(WORD) {}
  /// The colour of the control's text; CLR_INVALID: the system's own.
  virtual COLORREF TextColor() const { return CLR_INVALID; }
  /// The system colour (COLOR_...) behind the control's text when it draws as static text.
  virtual int BackgroundColor() const { return COLOR_BTNFACE; }

protected:
  TControl(TComponent *owner, TForm &form, const char *windowClass, DWORD style, TBounds bounds,
           const std::string &caption, DWORD exStyle = 0);

  TForm &Form() const { return fForm; }
  /// Destroys the window ahead of the control, for a control whose own resources the window
  /// uses until it goes.
  void DestroyWindowFirst() { fWindow = TWindowHandle(); }

private:
  TForm &fForm;
  int fId;
  TWindowHandle fWindow;
};
