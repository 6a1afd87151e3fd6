#include "update/ProgramProcesses_win.h"

#include "framework/win32/WideText_win.h"
#include "update/InstallTarget.h"

#include <windows.h>

#include <tlhelp32.h>

namespace {

constexpr DWORD kLongestPath = 32767;

// The path with its short names, such as PROGRA~1, spelt out; as it is where it has none or
// cannot be read.
std::wstring LongPath(const std::wstring &path) {
  std::wstring whole(GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
  const DWORD length = whole.empty() ? 0
                                     : GetLongPathNameW(path.c_str(), whole.data(),
                                                        static_cast<DWORD>(whole.size()));
  return length == 0 || length >= whole.size() ? path : whole.substr(0, length);
}

// The program file that process runs, as it was started; "" when it cannot be read. The call
// cannot tell the length it needs, so buffer holds room for the longest path there is.
std::wstring ImageOf(HANDLE process, std::wstring &buffer) {
  DWORD length = static_cast<DWORD>(buffer.size());
  return QueryFullProcessImageNameW(process, 0, buffer.data(), &length) ? buffer.substr(0, length)
                                                                        : std::wstring();
}

bool SameName(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool Runs(const std::wstring &image, const std::wstring &program) {
  if (image.empty())
    return false;
  return SameName(image, program) ||
         (image.find(L'~') != std::wstring::npos && SameName(LongPath(image), program));
}

} // namespace

std::vector<TKernelHandle> ProcessesRunning(const std::string &program) {
  const std::string fullPath = FullPathName(program);
  const std::wstring programPath = LongPath(WideFromUtf8(fullPath.empty() ? program : fullPath));
  std::vector<TKernelHandle> running;
  const TFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.Get() == INVALID_HANDLE_VALUE)
    return running;
  std::wstring buffer(kLongestPath, L'\0');
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL listed = Process32FirstW(snapshot.Get(), &entry); listed;
       listed = Process32NextW(snapshot.Get(), &entry)) {
    if (entry.th32ProcessID == GetCurrentProcessId())
      continue;
    TKernelHandle process(
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    if (process.Get() && Runs(ImageOf(process.Get(), buffer), programPath))
      running.push_back(std::move(process));
  }
  return running;
}
