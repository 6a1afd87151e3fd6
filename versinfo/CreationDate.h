#pragma once

#include <cstdint>

/// A file time (100-nanosecond intervals since 1 January 1601, 00:00 UTC) as a date-time: days
/// from 30 December 1899, the time of day added as a fraction (subtracted before that day).
/// File times of 2^63 and more, which the platform cannot convert, give 0.0. Throws
/// EConvertError "Invalid argument to date encode" for a date after the year 9999.
double FileTimeToDateTime(uint64_t fileTime);
