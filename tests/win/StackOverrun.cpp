// A program built as the updater is: started without parameters, it starts itself once for each
// way of writing past a buffer on the stack and expects each to end at once with
// STATUS_STACK_BUFFER_OVERRUN, by the stack protector's guard or by a checked buffer call.

#include "drivers/UpdaterProcess.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD kStackBufferOverrun = 0xC0000409;

// The length comes from the command line, so that the compiler cannot see the overrun coming.
void WritePast(const char *way, size_t length) {
  char buffer[8];
  if (std::strcmp(way, "checked") == 0) {
    std::memset(buffer, 'x', length); // a checked call: the buffer's size is known here
  } else {
    volatile char *bytes = buffer; // byte by byte: only the guard can tell
    for (size_t i = 0; i < length; ++i)
      bytes[i] = 'x';
  }
  std::printf("%.1s\n", buffer);
}

} // namespace

int main(int argc, char **argv) {
  if (argc == 3) {
    WritePast(argv[1], std::stoul(argv[2]));
    return 0;
  }
  int failed = 0;
  for (const char *way : {"guarded", "checked"}) {
    const DWORD exitCode =
        TUpdaterProcess(argv[0], std::string(way) + " 64").WaitForExitCode().value_or(0);
    std::printf("%s overrun: exit code 0x%08lX\n", way, static_cast<unsigned long>(exitCode));
    failed += exitCode != kStackBufferOverrun;
  }
  std::printf("%d passed, %d failed\n", 2 - failed, failed);
  return failed;
}
