#include "framework/win32/Control_win.h"

#include "framework/win32/WideText_win.h"

#include <stdexcept>

TControl::TControl(TComponent *owner, TForm &form, const char *windowClass, DWORD style,
                   TBounds bounds, const std::string &caption, DWORD exStyle)
    : TComponent(owner), fForm(form), fId(form.NextControlId()) {
  HWND window = CreateWindowExW(
      exStyle, WideFromUtf8(windowClass).c_str(), WideFromUtf8(caption).c_str(),
      WS_CHILD | WS_VISIBLE | style, form.Scaled(bounds.Left), form.Scaled(bounds.Top),
      form.Scaled(bounds.Width), form.Scaled(bounds.Height), form.Handle(),
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(fId)), GetModuleHandleW(nullptr), nullptr);
  if (!window)
    throw std::runtime_error("A control cannot be created");
  fWindow = TWindowHandle(window);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(form.Font()), FALSE);
}

void TControl::SetCaption(const std::string &caption) {
  SetWindowTextW(Handle(), WideFromUtf8(caption).c_str());
}

std::string TControl::Caption() const {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Handle())) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(Handle(), text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}
