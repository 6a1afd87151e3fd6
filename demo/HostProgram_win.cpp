// A small host program for the demonstration: it says which version it is, and leaves a
// marker file beside itself so that a script can tell that it was started. Started with "/stay",
// it then stays until it is ended, as a program the user keeps open.
#include "framework/CommandLine.h"
#include "framework/win32/ModuleFileName_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <string>
#include <vector>

#ifndef HOST_VERSION
#error "HOST_VERSION must be defined"
#endif

#define STRINGIFY_(x) #x
#define STRINGIFY(x) STRINGIFY_(x)

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Read whole and wide, so that the marker lies beside the program in any folder.
  const std::string program = ModuleFileName(nullptr);
  if (program.empty())
    return 1;
  HANDLE file = CreateFileW(WideFromUtf8(program + ".started").c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const char text[] = "version " STRINGIFY(HOST_VERSION) "\n";
    DWORD written = 0;
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
  }
  const std::vector<std::string> items = SplitCommandLine(Utf8FromWide(GetCommandLineW()));
  // Its own handle is signalled only once it has ended: it waits, idle, until ended from outside.
  if (items.size() > 1 && items[1] == "/stay")
    WaitForSingleObject(GetCurrentProcess(), INFINITE);
  return 0;
}
