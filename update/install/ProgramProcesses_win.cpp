#include "update/install/ProgramProcesses_win.h"

#include "framework/win32/FileIdentity_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <tlhelp32.h>

namespace {

constexpr DWORD kLongestPath = 32767;

// The program file that process runs, as it was started; "" when it cannot be read. The call
// cannot tell the length it needs, so buffer holds room for the longest path there is.
std::wstring ImageOf(HANDLE process, std::wstring &buffer) {
  DWORD length = static_cast<DWORD>(buffer.size());
  return QueryFullProcessImageNameW(process, 0, buffer.data(), &length) ? buffer.substr(0, length)
                                                                        : std::wstring();
}

} // namespace

// The files are compared, not their paths: a program started through one form of its path is
// the same program to an updater given another.
std::vector<TKernelHandle> ProcessesRunning(const std::string &program) {
  std::vector<TKernelHandle> running;
  const std::optional<TFileIdentity> programFile = FileIdentityOf(WideFromUtf8(program));
  if (!programFile)
    return running;
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
    if (!process.Get())
      continue;
    const std::wstring image = ImageOf(process.Get(), buffer);
    if (!image.empty() && FileIdentityOf(image) == programFile)
      running.push_back(std::move(process));
  }
  return running;
}
