// A library planted under the name of one of Windows' own DLLs. Loaded, it writes the file
// "<its own path>.loaded" and fails its load, so that a program that took it stops rather than
// calls an export it does not have.

#include <windows.h>

#include <cwchar>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  wchar_t path[MAX_PATH + sizeof ".loaded"] = {};
  if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameW(self, path, MAX_PATH) < MAX_PATH)
    CloseHandle(CreateFileW(std::wcscat(path, L".loaded"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr));
  return reason != DLL_PROCESS_ATTACH;
}
