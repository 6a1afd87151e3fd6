#include "framework/win32/DllSearch_win.h"

#include <windows.h>

void LoadDllsFromSystemFolderOnly() {
  // Looked up rather than imported: Windows Vista and 7 have it only with KB2533623.
  using TSetDefaultDllDirectories = BOOL(WINAPI *)(DWORD);
  const auto setDefaultDllDirectories =
      reinterpret_cast<TSetDefaultDllDirectories>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
    SetDllDirectoryW(L"");
}
