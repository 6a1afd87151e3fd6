// A library planted under the name of one of Windows' own DLLs. Loaded, it writes the file
// "<its own path>.loaded" and refuses to stay loaded, so that a program that took it fails
// rather than calls an export it does not have.

#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH)
    return TRUE;
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(self, path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH)
    return FALSE;
  const std::wstring marker = std::wstring(path) + L".loaded";
  const HANDLE file =
      CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE)
    CloseHandle(file);
  return FALSE;
}
