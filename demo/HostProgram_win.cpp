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
  char path[MAX_PATH];
  std::string marker(path, GetModuleFileNameA(nullptr, path, sizeof path));
  marker += ".started";
  HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const char text[] = "version " STRINGIFY(HOST_VERSION) "\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
  }
  return 0;
}
