// A library planted under the name of one of Windows' own DLLs. Loaded, it writes the file
// "<its own path>.loaded" and fails its load, so that a program that took it stops rather than
// calls an export it does not have.

#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH)
    return TRUE;
  std::wstring path(32768, L'\0'); // the longest path there is
  path.resize(GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size())));
  CloseHandle(CreateFileW((path + L".loaded").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                          nullptr));
  return FALSE;
}
