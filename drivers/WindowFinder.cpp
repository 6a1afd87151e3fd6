#include "drivers/WindowFinder.h"

#include "drivers/WaitBound.h"
#include "framework/win32/WideText_win.h"

#include <stdexcept>

namespace {

struct TWindowSearch {
  DWORD ProcessId;
  std::vector<HWND> Found;
};

BOOL CALLBACK CollectIfOwned(HWND window, LPARAM search) {
  auto &windows = *reinterpret_cast<TWindowSearch *>(search);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == windows.ProcessId)
    windows.Found.push_back(window);
  return TRUE;
}

// A window that hangs must not hang the driver with it.
constexpr UINT kReplyBoundMilliseconds = 5000;
// What a window class's name may hold, in characters.
constexpr size_t kLongestClassName = 256;

} // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
  TWindowSearch search{processId, {}};
  EnumWindows(CollectIfOwned, reinterpret_cast<LPARAM>(&search));
  return search.Found;
}

HWND WaitForTopLevelWindow(DWORD processId, const std::function<bool(HWND)> &matches) {
  HWND found = nullptr;
  WaitUntil([&] {
    for (HWND window : TopLevelWindowsOf(processId))
      if (matches(window)) {
        found = window;
        return true;
      }
    return false;
  });
  return found;
}

HWND FindTopLevelWindow(DWORD processId, const std::string &className) {
  for (HWND window : TopLevelWindowsOf(processId))
    if (WindowClassName(window) == className)
      return window;
  return nullptr;
}

std::vector<HWND> ChildWindowsOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

std::string WindowText(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                           kReplyBoundMilliseconds, &length))
    throw std::runtime_error("a window did not tell its text length");
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kReplyBoundMilliseconds, &copied))
    throw std::runtime_error("a window did not tell its text");
  return Utf8FromWide(text.data(), copied);
}

std::string WindowClassName(HWND window) {
  std::wstring name(kLongestClassName + 1, L'\0');
  const int length = GetClassNameW(window, name.data(), static_cast<int>(name.size()));
  return Utf8FromWide(name.data(), length > 0 ? length : 0);
}
