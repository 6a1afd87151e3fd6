#include "update/install/InstallTarget.h"

#include "framework/win32/WideText_win.h"
#include "update/verify/ProgramImage.h"

#include <windows.h>

#include <algorithm>

namespace {

bool SameFolder(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// The text before path's last backslash.
std::wstring FolderOf(const std::wstring &path) {
  const size_t last = path.find_last_of(L'\\');
  return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

// Where the folders below path's root begin: after "C:\", or after "\\server\share\".
size_t RootLength(const std::wstring &path) {
  size_t end = path.compare(0, 2, L"\\\\") == 0 ? path.find(L'\\', path.find(L'\\', 2) + 1)
                                                : path.find(L'\\');
  return end == std::wstring::npos ? path.size() : end + 1;
}

// A folder renamed away and replaced by a link meanwhile would lead the step's writes
// elsewhere; the folders that lead to the running updater cannot be renamed while it runs, so
// once none of them is a link, none becomes one.
bool LinkOnTheWay(const std::wstring &folder) {
  for (size_t end = RootLength(folder); end <= folder.size(); ++end) {
    end = std::min(folder.find(L'\\', end), folder.size());
    const DWORD attributes = GetFileAttributesW(folder.substr(0, end).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return true;
  }
  return false;
}

} // namespace

std::string FullPathName(const std::string &path) {
  const std::wstring relative = WideFromUtf8(path);
  std::wstring full(GetFullPathNameW(relative.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length = full.empty()
                           ? 0
                           : GetFullPathNameW(relative.c_str(), static_cast<DWORD>(full.size()),
                                              full.data(), nullptr);
  return length == 0 || length >= full.size() ? std::string() : Utf8FromWide(full.data(), length);
}

bool LiesWithUpdater(const std::string &program, const std::string &updater) {
  const std::string fullProgram = FullPathName(program);
  const std::wstring programPath = WideFromUtf8(fullProgram);
  const std::wstring updaterFolder = FolderOf(WideFromUtf8(FullPathName(updater)));
  if (programPath.empty() || updaterFolder.empty() || !EndsWithExe(fullProgram))
    return false;
  const DWORD attributes = GetFileAttributesW(programPath.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  const std::wstring programFolder = FolderOf(programPath);
  return (SameFolder(programFolder, updaterFolder) ||
          SameFolder(programFolder, FolderOf(updaterFolder))) &&
         !LinkOnTheWay(updaterFolder);
}
