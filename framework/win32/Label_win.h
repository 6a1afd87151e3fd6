#pragma once

#include "framework/win32/Control_win.h"

/// A line of text that keeps its width fitted to its text.
class TLabel : public TControl {
public:
  TLabel(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption);
  /// The window goes before the font it draws with.
  ~TLabel() override { DestroyWindowFirst(); }
  /// Does nothing when the label already reads caption: a caption set once per chunk of a
  /// download must not redraw anything.
  void SetCaption(const std::string &caption) override;
  /// Gives the label a font of its own (height in pixels at 96 pixels per inch, negative for
  /// the character height) and a text colour, and fits it to its text again.
  void SetFont(const char *name, int height, bool bold, bool underline, COLORREF color);

  /// A click on the label.
  TNotifyEvent OnClick;
  void Command(WORD notification) override;
  COLORREF TextColor() const override { return fColor; }

private:
  void FitToText();

  std::string fCaption;
  TGdiObject<HFONT> fFont; // empty: the form's
  COLORREF fColor = CLR_INVALID;
};
