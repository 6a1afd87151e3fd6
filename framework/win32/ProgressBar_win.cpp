#include "framework/win32/ProgressBar_win.h"

#include <commctrl.h>

TProgressBar::TProgressBar(TComponent *owner, TForm &form, TBounds bounds)
    : TControl(owner, form, PROGRESS_CLASSA, 0, bounds, "") {
  SetRange(0, 100);
}

void TProgressBar::SetRange(int32_t minimum, int32_t maximum) {
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(minimum),
               static_cast<LPARAM>(maximum));
}

int32_t TProgressBar::Position() const {
  return static_cast<int32_t>(SendMessageA(Handle(), PBM_GETPOS, 0, 0));
}

int32_t TProgressBar::Maximum() const {
  return static_cast<int32_t>(SendMessageA(Handle(), PBM_GETRANGE, FALSE, 0));
}
