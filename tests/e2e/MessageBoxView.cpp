#include "tests/e2e/MessageBoxView.h"

#include "tests/e2e/WindowFinder.h"

namespace {

bool IsIconControl(HWND control) {
  return (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

HWND FindButton(HWND box, const std::string &caption) {
  for (HWND child : ChildWindowsOf(box))
    if (WindowClassName(child) == "Button" && WindowText(child) == caption)
      return child;
  return nullptr;
}

} // namespace

bool IsVisibleDialogBox(HWND window) {
  return IsWindowVisible(window) && WindowClassName(window) == "#32770";
}

TMessageBoxView ReadMessageBox(HWND box) {
  TMessageBoxView view;
  view.Caption = WindowText(box);
  for (HWND child : ChildWindowsOf(box)) {
    if (!IsWindowVisible(child))
      continue;
    const std::string className = WindowClassName(child);
    if (className == "Button") {
      view.Buttons.push_back(WindowText(child));
    } else if (className == "Static" && IsIconControl(child)) {
      DWORD_PTR icon = 0;
      SendMessageTimeoutA(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
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
  return SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) != 0;
}
