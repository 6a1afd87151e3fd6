#pragma once

#include "framework/win32/Control_win.h"

#include <cstdint>

/// A progress bar with a range and a position.
class TProgressBar : public TControl {
public:
  TProgressBar(TComponent *owner, TForm &form, TBounds bounds);
  void SetRange(int32_t minimum, int32_t maximum);
  int32_t Position() const;
  int32_t Maximum() const;
};
