#pragma once

#include "framework/win32/Control_win.h"

/// A line of text that keeps its width fitted to its text.
class TLabel : public TControl {
public:
  TLabel(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption);
  /// Does nothing when the label already reads caption: a caption set once per chunk of a
  /// download must not redraw anything.
  void SetCaption(const std::string &caption);

private:
  void FitToText();

  std::string fCaption;
};
