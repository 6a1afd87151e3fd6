#pragma once

#include "framework/win32/Control_win.h"

#include <cstdint>

/// A progress bar with a 32-bit range and a position.
class TProgressBar : public TControl {
public:
  TProgressBar(TComponent *owner, TForm &form, TBounds bounds);
  /// Sends the range only when it differs from the current one, since each change redraws.
  void SetRange(int32_t minimum, int32_t maximum);
  /// Moves the bar when position fills a different number of pixels than the bar shows, or is
  /// the end of the range: the control redraws itself at once for every position it is sent,
  /// which at one position per chunk of a download would cost more than the download.
  void SetPosition(int32_t position);
  /// The position the bar shows.
  int32_t Position() const;
  int32_t Maximum() const;

private:
  /// How many pixels of the bar position fills.
  int64_t FilledPixels(int32_t position) const;

  int32_t fMinimum = 0, fMaximum = 0;
  int32_t fShown = 0; // the position the bar shows
  int fWidth = 0;     // of the bar's client area, in pixels
};
