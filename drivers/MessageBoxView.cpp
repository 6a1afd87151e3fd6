#include "drivers/MessageBoxView.h"

#include "drivers/WindowFinder.h"
#include "framework/win32/WideText_win.h"

namespace {

bool IsIconControl(HWND control) {
  return (GetWindowLongW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// A button's caption as the user reads it: "&Yes" shows as "Yes" with the Y underlined, "&&"
// as one "&".
std::string ShownCaption(HWND button) {
  const std::string text = WindowText(button);
  std::string shown;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size())
      ++i;
    shown += text[i];
  }
  return shown;
}

HWND FindButton(HWND box, const std::string &caption) {
  for (HWND child : ChildWindowsOf(box))
    if (WindowClassName(child) == "Button" && ShownCaption(child) == caption)
      return child;
  return nullptr;
}

} // namespace

bool IsVisibleDialogBox(HWND window) {
  return IsWindowVisible(window) && WindowClassName(window) == "#32770";
}

HWND VisibleMessageBox(DWORD processId, const std::string &caption) {
  const std::wstring wideCaption = WideFromUtf8(caption);
  for (HWND box = nullptr;
       (box = FindWindowExW(nullptr, box, L"#32770",
                            caption.empty() ? nullptr : wideCaption.c_str())) != nullptr;) {
    DWORD owner = 0;
    GetWindowThreadProcessId(box, &owner);
    if (owner == processId && IsWindowVisible(box))
      return box;
  }
  return nullptr;
}

TMessageBoxView ReadMessageBox(HWND box) {
  TMessageBoxView view;
  view.Caption = WindowText(box);
  for (HWND child : ChildWindowsOf(box)) {
    if (!IsWindowVisible(child))
      continue;
    const std::string className = WindowClassName(child);
    if (className == "Button") {
      view.Buttons.push_back(ShownCaption(child));
    } else if (className == "Static" && IsIconControl(child)) {
      DWORD_PTR icon = 0;
      SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
      view.HasIcon = view.HasIcon || icon != 0;
    } else if (className == "Static") {
      view.Text += WindowText(child);
    }
  }
  return view;
}

bool ClickButton(HWND box, const std::string &caption) {
  const HWND button = FindButton(box, caption);
  if (!button)
    return false;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}
