#include "update/ProgramClaim_win.h"

#include "framework/win32/WideText_win.h"
#include "update/InstallTarget.h"

#include <cstdint>
#include <cwchar>

namespace {

// A path may be far longer than an object's name: the name holds a 64-bit FNV-1a hash of the
// full path in upper case, as the file system compares names.
std::wstring ClaimName(const std::string &program) {
  const std::string fullPath = FullPathName(program);
  std::wstring path = WideFromUtf8(fullPath.empty() ? program : fullPath);
  CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  uint64_t hash = 14695981039346656037ull;
  for (const wchar_t unit : path) {
    hash ^= static_cast<uint16_t>(unit);
    hash *= 1099511628211ull;
  }
  wchar_t name[32];
  std::swprintf(name, sizeof name / sizeof name[0], L"Updater.%016llX",
                static_cast<unsigned long long>(hash));
  return name;
}

BOOL CALLBACK BringToFrontIfMarked(HWND window, LPARAM name) {
  if (!GetPropW(window, reinterpret_cast<const wchar_t *>(name)) || !IsWindowVisible(window))
    return TRUE;
  SetForegroundWindow(window);
  return FALSE;
}

} // namespace

TProgramClaim::TProgramClaim(const std::string &program) : fName(ClaimName(program)) {}

TProgramClaim::~TProgramClaim() {
  if (fMarked && IsWindow(fMarked))
    RemovePropW(fMarked, fName.c_str());
}

// A mutex that exists already, or that another user's updater made and this one may not open,
// is another updater's.
bool TProgramClaim::Take(HWND window) {
  fMutex = TKernelHandle(CreateMutexW(nullptr, FALSE, (L"Local\\" + fName).c_str()));
  if (!fMutex.Get() || GetLastError() == ERROR_ALREADY_EXISTS) {
    fMutex = TKernelHandle();
    return false;
  }
  if (SetPropW(window, fName.c_str(), reinterpret_cast<HANDLE>(1)))
    fMarked = window;
  return true;
}

void TProgramClaim::ShowHolder() const {
  EnumWindows(BringToFrontIfMarked, reinterpret_cast<LPARAM>(fName.c_str()));
}
