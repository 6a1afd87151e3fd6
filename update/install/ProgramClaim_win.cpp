#include "update/install/ProgramClaim_win.h"

#include "framework/win32/FileIdentity_win.h"
#include "framework/win32/WideText_win.h"
#include "update/install/InstallTarget.h"

#include <cstdint>
#include <cwchar>
#include <optional>

namespace {

// Named after the program file itself, so that updaters given two forms of its path (another
// drive letter, a link on the way) still meet. A file that cannot be opened is named by a 64-bit
// FNV-1a hash of its full path in upper case, as the file system compares names: a path may be
// far longer than an object's name.
std::wstring ClaimName(const std::string &program) {
  wchar_t name[64];
  const std::wstring path = WideFromUtf8(program);
  if (const std::optional<TFileIdentity> file = FileIdentityOf(path)) {
    std::swprintf(name, sizeof name / sizeof name[0], L"Updater.%016llX.%016llX%016llX",
                  static_cast<unsigned long long>(file->Volume),
                  static_cast<unsigned long long>(file->FileIdHigh),
                  static_cast<unsigned long long>(file->FileIdLow));
    return name;
  }
  const std::string fullPath = FullPathName(program);
  std::wstring upperPath = fullPath.empty() ? path : WideFromUtf8(fullPath);
  CharUpperBuffW(upperPath.data(), static_cast<DWORD>(upperPath.size()));
  uint64_t hash = 14695981039346656037ull;
  for (const wchar_t unit : upperPath) {
    hash ^= static_cast<uint16_t>(unit);
    hash *= 1099511628211ull;
  }
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
