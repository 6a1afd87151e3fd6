#include "framework/win32/ProgressBar_win.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TComponent *owner, TForm &form, TBounds bounds)
    : TControl(owner, form, PROGRESS_CLASSA, 0, bounds, "") {
  RECT client;
  GetClientRect(Handle(), &client);
  fWidth = client.right;
  SetRange(0, 100);
}

void TProgressBar::SetRange(int32_t minimum, int32_t maximum) {
  if (minimum == fMinimum && maximum == fMaximum)
    return;
  fMinimum = minimum;
  fMaximum = maximum;
  SendMessageW(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(minimum),
               static_cast<LPARAM>(maximum));
  fShown = Position(); // the control keeps its position inside the new range
}

void TProgressBar::SetPosition(int32_t position) {
  if (position != fMaximum && FilledPixels(position) == FilledPixels(fShown))
    return;
  SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
  fShown = Position();
}

int64_t TProgressBar::FilledPixels(int32_t position) const {
  const int64_t span = int64_t{fMaximum} - fMinimum;
  return span > 0 ? (int64_t{position} - fMinimum) * fWidth / span : 0;
}

int32_t TProgressBar::Position() const {
  return static_cast<int32_t>(SendMessageW(Handle(), PBM_GETPOS, 0, 0));
}

int32_t TProgressBar::Maximum() const {
  return static_cast<int32_t>(SendMessageW(Handle(), PBM_GETRANGE, FALSE, 0));
}
