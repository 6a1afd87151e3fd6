#pragma once

#include "framework/win32/Control_win.h"

/// A line of text that keeps its width fitted to its text.
class TLabel : public TControl {
public:
  TLabel(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption);
  void SetCaption(const std::string &caption);

private:
  void FitToText();
};
