#include "framework/win32/ProgressBar_win.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TComponent *owner, TForm &form, TBounds bounds)
    : TControl(owner, form, PROGRESS_CLASSA, 0, bounds, "") {
  SendMessageA(Handle(), PBM_SETRANGE32, 0, 100);
  fMaximum = 100;
}

void TProgressBar::SetRange(int32_t minimum, int32_t maximum) {
  if (minimum == fMinimum && maximum == fMaximum)
    return;
  fMinimum = minimum;
  fMaximum = maximum;
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(minimum),
               static_cast<LPARAM>(maximum));
}

void TProgressBar::SetPosition(int32_t position) {
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int32_t TProgressBar::Position() const {
  return static_cast<int32_t>(SendMessageA(Handle(), PBM_GETPOS, 0, 0));
}

int32_t TProgressBar::Maximum() const {
  return static_cast<int32_t>(SendMessageA(Handle(), PBM_GETRANGE, FALSE, 0));
}
