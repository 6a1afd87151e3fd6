// A downloaded file: the program image check asks only for bytes the file holds (a request
// beyond them is answered false, never served), accepts only "MZ" at 0 with "PE\0\0" and a
// whole file header at the little-endian offset kept at byte 60, and reports that header's
// Machine and Characteristics as they stand.
#include "update/verify/ProgramImage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::optional<TImageHeader> header =
      ProgramImageHeader([&](uint32_t offset, void *buffer, size_t count) {
        if (offset > size || count > size - offset)
          return false;
        std::memcpy(buffer, data + offset, count);
        return true;
      });
  if (!header)
    return 0;
  if (size < 64 || data[0] != 'M' || data[1] != 'Z')
    abort();
  const uint64_t at = data[60] | data[61] << 8 | data[62] << 16 | uint64_t{data[63]} << 24;
  if (at > size || size - at < 24 || std::memcmp(data + at, "PE\0\0", 4) != 0)
    abort();
  if (header->Machine != (data[at + 4] | data[at + 5] << 8) ||
      header->Characteristics != (data[at + 22] | data[at + 23] << 8))
    abort();
  return 0;
}
