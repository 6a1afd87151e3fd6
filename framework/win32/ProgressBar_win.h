#pragma once

#include "framework/win32/Control_win.h"

#include <cstdint>

/// A progress bar with a 32-bit range and a position.
class TProgressBar : public TControl {
public:
  TProgressBar(TComponent *owner, TForm &form, TBounds bounds);
  /// Sends the range only when it differs from the current one, since each change redraws.
  void SetRange(int32_t minimum, int32_t maximum);
  void SetPosition(int32_t position);
  int32_t Position() const;
  int32_t Maximum() const;

private:
  int32_t fMinimum = 0, fMaximum = 0;
};
