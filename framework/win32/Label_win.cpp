#include "framework/win32/Label_win.h"

#include "framework/win32/WideText_win.h"

#include <algorithm>

// SS_NOTIFY: clicks arrive as STN_CLICKED.
TLabel::TLabel(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption)
    : TControl(owner, form, "STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, bounds, caption),
      fCaption(caption) {
  FitToText();
}

void TLabel::SetCaption(const std::string &caption) {
  if (caption == fCaption)
    return;
  fCaption = caption;
  TControl::SetCaption(caption);
  FitToText();
}

// The old font is deleted only after the label has let go of it.
void TLabel::SetFont(const char *name, int height, bool bold, bool underline, COLORREF color) {
  TGdiObject<HFONT> font = Form().CreateScaledFont(name, height, bold, underline);
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  fFont = std::move(font);
  fColor = color;
  FitToText();
}

void TLabel::Command(WORD notification) {
  if (notification == STN_CLICKED)
    OnClick(this);
}

// Only the strip that the label gave up or took is drawn again, not the whole form; when the
// width stays, the label has drawn itself anew and nothing around it changes.
void TLabel::FitToText() {
  HDC dc = GetDC(Handle());
  HGDIOBJ previous = SelectObject(dc, fFont.Get() ? fFont.Get() : Form().Font());
  SIZE size = {};
  const std::wstring caption = WideFromUtf8(fCaption);
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(Handle(), dc);
  RECT before;
  GetWindowRect(Handle(), &before);
  if (before.right - before.left == size.cx)
    return;
  MapWindowPoints(nullptr, Form().Handle(), reinterpret_cast<POINT *>(&before), 2);
  SetWindowPos(Handle(), nullptr, 0, 0, size.cx, before.bottom - before.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT strip = before;
  strip.right = before.left + std::max<LONG>(before.right - before.left, size.cx);
  InvalidateRect(Form().Handle(), &strip, TRUE);
}
