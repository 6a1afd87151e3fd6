// A small host program for the demonstration: it says which version it is, and leaves a
// marker file beside itself so that a script can tell that it was started.
#include <windows.h>

#include <string>

#ifndef HOST_VERSION
#error "HOST_VERSION must be defined"
#endif

#define STRINGIFY_(x) #x
#define STRINGIFY(x) STRINGIFY_(x)

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Its own path in any script, however long the platform lets it be.
  std::wstring marker(32768, L'\0');
  marker.resize(GetModuleFileNameW(nullptr, marker.data(), static_cast<DWORD>(marker.size())));
  marker += L".started";
  HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const char text[] = "version " STRINGIFY(HOST_VERSION) "\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
  }
  return 0;
}
