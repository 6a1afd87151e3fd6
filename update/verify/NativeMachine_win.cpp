#include "update/verify/NativeMachine.h"

#include "update/verify/ProgramImage.h"

#include <windows.h>

uint16_t NativeMachine() {
  // Looked up rather than imported: only Windows 10 1709 and later have it. It alone names ARM64
  // to a 32-bit process, which GetNativeSystemInfo tells that it runs on an x86.
  using TIsWow64Process2 = BOOL(WINAPI *)(HANDLE, USHORT *, USHORT *);
  const auto isWow64Process2 = reinterpret_cast<TIsWow64Process2>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "IsWow64Process2")));
  USHORT process = 0;
  USHORT native = 0;
  if (isWow64Process2 && isWow64Process2(GetCurrentProcess(), &process, &native))
    return native;
  SYSTEM_INFO system{};
  GetNativeSystemInfo(&system);
  switch (system.wProcessorArchitecture) {
  case PROCESSOR_ARCHITECTURE_AMD64:
    return kMachineAmd64;
  case PROCESSOR_ARCHITECTURE_ARM64:
    return kMachineArm64;
  }
  return kMachineI386;
}
