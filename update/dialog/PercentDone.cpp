#include "update/dialog/PercentDone.h"

#include <algorithm>
#include <limits>

// In 64 bits the product cannot overflow; only -2^31 / -1 style quotients leave 32 bits.
int32_t PercentDoneOf(int32_t readed, int32_t totalSize) {
  if (totalSize == 0)
    return 0;
  const int64_t percent = int64_t{readed} * 100 / totalSize;
  return static_cast<int32_t>(std::clamp<int64_t>(percent, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}
