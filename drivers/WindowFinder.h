#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

/// The top-level windows that belong to a process, hidden ones included, front to back.
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
/// Waits, within a generous bound, for a top-level window of the process that matches;
/// nullptr when none does in time.
HWND WaitForTopLevelWindow(DWORD processId, const std::function<bool(HWND)> &matches);
/// The first top-level window of the process whose window class is className, or nullptr.
HWND FindTopLevelWindow(DWORD processId, const std::string &className);

/// The direct child windows of parent, in z order.
std::vector<HWND> ChildWindowsOf(HWND parent);
/// The window's text, UTF-8, as the window itself answers WM_GETTEXT; works across processes.
/// Throws std::runtime_error when the window does not answer, so that silence never reads as "".
std::string WindowText(HWND window);
/// The name of the window's class, UTF-8.
std::string WindowClassName(HWND window);
