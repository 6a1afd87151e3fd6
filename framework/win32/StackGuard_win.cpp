// The stack protector's guard and its two ways to fail, for MinGW builds. MinGW's own, in
// libssp, seed the guard through advapi32 in a constructor that runs before the entry point has
// narrowed the DLL search to the system folder; these seed it from kernel32 alone, as MSVC seeds
// its /GS cookie, and end the program at once, as a failed /GS check does. This file is built
// without the protector: the function that seeds the guard must not check it on its way out.

#include <windows.h>

#include <cstdint>

namespace {

constexpr DWORD kStackBufferOverrun = 0xC0000409; // STATUS_STACK_BUFFER_OVERRUN

[[noreturn]] void EndAtOnce() {
  for (;;)
    TerminateProcess(GetCurrentProcess(), kStackBufferOverrun);
}

} // namespace

extern "C" {

uintptr_t __stack_chk_guard = 0xBB40E64E; // until the program's initialisation seeds it

/// A protected function found its guard overwritten.
[[noreturn]] void __stack_chk_fail() { EndAtOnce(); }

/// A checked buffer call (_FORTIFY_SOURCE) was asked to write past its buffer.
[[noreturn]] void __chk_fail() { EndAtOnce(); }
}

namespace {

// Nothing protected is on the stack while the program's initialisation runs, so no frame sees
// the guard change under it.
uintptr_t Seed() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  const uintptr_t seed = now.dwLowDateTime ^ now.dwHighDateTime ^ GetCurrentProcessId() ^
                         (uintptr_t{GetCurrentThreadId()} << 16) ^ GetTickCount() ^
                         counter.LowPart ^ counter.HighPart ^ reinterpret_cast<uintptr_t>(&now);
  return seed ? seed : __stack_chk_guard;
}

const uintptr_t kSeeded = __stack_chk_guard = Seed();

} // namespace
