#include "framework/win32/Control_win.h"

#include <stdexcept>

TControl::TControl(TComponent *owner, TForm &form, const char *windowClass, DWORD style,
                   TBounds bounds, const std::string &caption)
    : TComponent(owner), fForm(form), fId(form.NextControlId()) {
  HWND window = CreateWindowExA(
      0, windowClass, caption.c_str(), WS_CHILD | WS_VISIBLE | style, form.Scaled(bounds.Left),
      form.Scaled(bounds.Top), form.Scaled(bounds.Width), form.Scaled(bounds.Height), form.Handle(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(fId)), GetModuleHandleA(nullptr), nullptr);
  if (!window)
    throw std::runtime_error("A control cannot be created");
  fWindow = TWindowHandle(window);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(form.Font()), FALSE);
}

void TControl::SetCaption(const std::string &caption) { SetWindowTextA(Handle(), caption.c_str()); }

std::string TControl::Caption() const {
  std::string text(GetWindowTextLengthA(Handle()) + 1, '\0');
  text.resize(GetWindowTextA(Handle(), text.data(), static_cast<int>(text.size())));
  return text;
}
