#include "framework/win32/Label_win.h"

TLabel::TLabel(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption)
    : TControl(owner, form, "STATIC", SS_LEFT | SS_NOPREFIX, bounds, caption) {
  FitToText();
}

void TLabel::SetCaption(const std::string &caption) {
  TControl::SetCaption(caption);
  FitToText();
}

void TLabel::FitToText() {
  const std::string text = Caption();
  HDC dc = GetDC(Handle());
  HGDIOBJ previous = SelectObject(dc, Form().Font());
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(Handle(), dc);
  RECT bounds;
  GetClientRect(Handle(), &bounds);
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, bounds.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Form().Handle(), nullptr, TRUE);
}
