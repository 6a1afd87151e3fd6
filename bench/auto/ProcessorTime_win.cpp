#include "bench/auto/ProcessorTime_win.h"

#include <winternl.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace {

constexpr NTSTATUS kStatusInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// The system's list of processes, with room to grow between the calls that size and fill it.
std::vector<unsigned char> ProcessList() {
  std::vector<unsigned char> list(256 * 1024);
  for (;;) {
    ULONG needed = 0;
    const NTSTATUS status = NtQuerySystemInformation(SystemProcessInformation, list.data(),
                                                     static_cast<ULONG>(list.size()), &needed);
    if (status == 0)
      return list;
    if (status != kStatusInfoLengthMismatch)
      throw std::runtime_error("cannot list the processes (status " + std::to_string(status) + ")");
    list.resize(std::max<size_t>(2 * list.size(), needed + 64 * 1024));
  }
}

} // namespace

double ProcessorMilliseconds(DWORD processId) {
  const std::vector<unsigned char> list = ProcessList();
  for (size_t offset = 0;;) {
    const auto *process = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION *>(&list[offset]);
    if (reinterpret_cast<ULONG_PTR>(process->UniqueProcessId) == processId)
      // 100 ns units.
      return static_cast<double>(process->UserTime.QuadPart + process->KernelTime.QuadPart) /
             10000.0;
    if (process->NextEntryOffset == 0)
      throw std::runtime_error("process " + std::to_string(processId) + " is not running");
    offset += process->NextEntryOffset;
  }
}
