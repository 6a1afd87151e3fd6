#include "versinfo/CreationDate.h"

#include "framework/IntegerSyntax.h"

namespace {

// Days from 1 January 1970 of a date in the proleptic Gregorian calendar, counted through eras
// of 400 years that start on 1 March.
constexpr int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

constexpr int64_t kFileTimeFirstDay = DaysFromCivil(1601, 1, 1);
constexpr int64_t kDateTimeDayZero = DaysFromCivil(1899, 12, 30);
constexpr int64_t kFirstDayAfterYear9999 = DaysFromCivil(10000, 1, 1);
constexpr uint64_t kTicksPerMillisecond = 10000;
constexpr uint64_t kMillisecondsPerDay = 86400000;

} // namespace

double FileTimeToDateTime(uint64_t fileTime) {
  if (fileTime >= uint64_t{1} << 63)
    return 0.0;
  // The platform's system time keeps whole milliseconds, dropping the rest.
  const uint64_t milliseconds = fileTime / kTicksPerMillisecond;
  const int64_t day = kFileTimeFirstDay + static_cast<int64_t>(milliseconds / kMillisecondsPerDay);
  if (day >= kFirstDayAfterYear9999)
    throw EConvertError("Invalid argument to date encode");
  const int64_t dayNumber = day - kDateTimeDayZero;
  const double timeOfDay =
      static_cast<double>(milliseconds % kMillisecondsPerDay) / kMillisecondsPerDay;
  // Before day zero the time of day moves the value further from zero.
  return dayNumber >= 0 ? dayNumber + timeOfDay : dayNumber - timeOfDay;
}
