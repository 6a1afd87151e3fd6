// A downloaded file: the program image check asks only for bytes the file holds (a request
// beyond them is answered false, never served), and accepts only "MZ" at 0 with "PE\0\0" at
// the little-endian offset kept at byte 60.
#include "update/verify/ProgramImage.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const bool accepted = IsProgramImage([&](uint32_t offset, void *buffer, size_t count) {
    if (offset > size || count > size - offset)
      return false;
    std::memcpy(buffer, data + offset, count);
    return true;
  });
  if (!accepted)
    return 0;
  if (size < 64 || data[0] != 'M' || data[1] != 'Z')
    abort();
  const uint64_t at = data[60] | data[61] << 8 | data[62] << 16 | uint64_t{data[63]} << 24;
  if (at > size || size - at < 4 || std::memcmp(data + at, "PE\0\0", 4) != 0)
    abort();
  return 0;
}
