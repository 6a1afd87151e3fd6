#pragma once

#include "framework/Component.h"
#include "framework/win32/Handles_win.h"

#include <windows.h>

#include <string>

/// Position and size in pixels at 96 pixels per inch.
struct TBounds {
  int Left, Top, Width, Height;
};

/// What a form's window looks like before its controls are added.
struct TFormLayout {
  const char *ClassName;
  int ClientWidth, ClientHeight; // at 96 pixels per inch
  DWORD Style;
  DWORD ExStyle;
  bool CentreOnDesktop; // else the window system's default placement
  const char *FontName; // nullptr: the system's message font, as the user has set it
  int FontHeight;       // in pixels at 96 pixels per inch, negative for the character height
  int Icon = 0;         // the resource identifier of the window's icon; 0: the window system's own
};

class TControl;

/// A top-level window built from a layout, with the system's button-face colour, that owns its
/// controls and draws their text in the colours they ask for. A form owned by another form
/// stays above that form's window. Its messages are handled on the user-interface thread; a
/// handler that throws is reported by the application and the message is then done.
class TForm : public TComponent {
public:
  ~TForm() override;

  HWND Handle() const { return fWindow.Get(); }
  HFONT Font() const { return fFont.Get(); }
  /// A length at 96 pixels per inch, in the display's pixels.
  int Scaled(int pixels) const;
  /// A font of face name, height in pixels at 96 pixels per inch (negative for the character
  /// height), scaled to the display.
  TGdiObject<HFONT> CreateScaledFont(const char *name, int height, bool bold, bool underline) const;
  void SetCaption(const std::string &caption);
  /// Closes the window: a modal one ends ShowModal with IDCANCEL, one whose closing ends the
  /// program runs OnClosingEnds, any other hides.
  void Close();
  /// Shows the window and gives the focus to its default button, or else to its first control
  /// that takes it.
  void Show();
  /// Shows the window modally, in front: every other window of the program is disabled until a
  /// button with a modal result (or the program's end) closes it; the window is then hidden, not
  /// destroyed, and the window that was active is active again. Returns the modal result.
  int ShowModal();
  /// Set by a button with a modal result; a non-zero value ends ShowModal.
  int ModalResult = 0;

  /// A new identifier for a child control.
  int NextControlId() { return fNextControlId++; }
  /// The button that Enter activates.
  void SetDefaultControl(int id) { fDefaultControlId = id; }
  /// The button that Esc activates; none unless set.
  void SetCancelControl(int id) { fCancelControlId = id; }

  /// Asked before the window closes; the window stays open when it clears CanClose.
  TCloseQueryEvent OnCloseQuery;
  /// Ends the program when the form closes; the application sets it on its main form.
  TNotifyEvent OnClosingEnds;
  /// Runs when the session ends (WM_ENDSESSION, the end decided): the system ends the process
  /// once the message has been answered.
  TNotifyEvent OnSessionEnds;

protected:
  TForm(TComponent *owner, const TFormLayout &layout);

  /// A system command (WM_SYSCOMMAND); by default the window system's own handling.
  virtual void WMSysCommand(WPARAM command, LPARAM position);
  /// A timer of the window's own (WM_TIMER) has come due; by default nothing happens.
  virtual void WMTimer(UINT_PTR timer);
  /// A request to close the window; the window closes only when this returns true. By default
  /// OnCloseQuery decides.
  virtual bool CloseQuery();

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  TControl *ControlOf(HWND window) const;

  TWindowHandle fWindow;
  TGdiObject<HFONT> fFont;
  int fPixelsPerInch = 96;
  int fNextControlId = 100;
  int fDefaultControlId = 0;
  int fCancelControlId = 0;
  bool fModal = false; // inside ShowModal
};
