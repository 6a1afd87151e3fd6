#pragma once

#include <cstdint>

/// readed x 100 / totalSize, truncated, for every pair of 32-bit values: 0 when no length was
/// announced (totalSize 0), the nearest 32-bit value when the quotient does not fit in one.
int32_t PercentDoneOf(int32_t readed, int32_t totalSize);
