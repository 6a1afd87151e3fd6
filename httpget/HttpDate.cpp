#include "httpget/HttpDate.h"

#include <array>

namespace {

constexpr size_t kDateLength = sizeof "Sun, 06 Nov 1994 08:49:37 GMT" - 1;
constexpr std::array<const char *, 7> kDayNames = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
constexpr std::array<const char *, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// A reply kept longer than a year comes from a cache gone wrong: its Age tells nothing.
constexpr int kMaxAgeSeconds = 365 * 86400;
constexpr size_t kMaxAgeDigits = 8; // those of kMaxAgeSeconds

// The number in text[at, at + digits), or -1 when one of them is no digit.
int DigitsAt(const std::string &text, size_t at, size_t digits) {
  int value = 0;
  for (size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// The seconds that an Age header holds when they are plain decimal digits of at most a year,
// else 0.
int AgeSeconds(const std::string &text) {
  if (text.empty() || text.size() > kMaxAgeDigits)
    return 0;
  const int age = DigitsAt(text, 0, text.size());
  return age >= 0 && age <= kMaxAgeSeconds ? age : 0;
}

// Which of names text holds at at, or -1.
template <size_t N>
int NameAt(const std::string &text, size_t at, const std::array<const char *, N> &names) {
  for (size_t i = 0; i < N; ++i)
    if (text.compare(at, 3, names[i]) == 0)
      return static_cast<int>(i);
  return -1;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 1 && leap ? 29 : kDays[month];
}

// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar; month from 0.
int64_t DaysSinceEpoch(int year, int month, int day) {
  const int64_t y = year - (month < 2 ? 1 : 0);
  const int64_t era = y / 400;
  const int64_t yearOfEra = y - era * 400;
  const int64_t shiftedMonth = month < 2 ? month + 10 : month - 2; // March is 0
  const int64_t dayOfYear = (153 * shiftedMonth + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

} // namespace

std::optional<int64_t> SecondsOfHttpDate(const std::string &text) {
  if (text.size() != kDateLength || NameAt(text, 0, kDayNames) < 0 ||
      text.compare(3, 2, ", ") != 0 || text[7] != ' ' || text[11] != ' ' || text[16] != ' ' ||
      text[19] != ':' || text[22] != ':' || text.compare(25, 4, " GMT") != 0)
    return std::nullopt;
  const int day = DigitsAt(text, 5, 2);
  const int month = NameAt(text, 8, kMonthNames);
  const int year = DigitsAt(text, 12, 4);
  const int hour = DigitsAt(text, 17, 2);
  const int minute = DigitsAt(text, 20, 2);
  const int second = DigitsAt(text, 23, 2);
  if (month < 0 || year < 0 || day < 1 || day > DaysInMonth(year, month) || hour < 0 || hour > 23 ||
      minute < 0 || minute > 59 || second < 0 || second > 60)
    return std::nullopt;
  return DaysSinceEpoch(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::optional<int64_t> ServerTimeOfReply(const std::optional<std::string> &date,
                                         const std::optional<std::string> &age) {
  const std::optional<int64_t> seconds = date ? SecondsOfHttpDate(*date) : std::nullopt;
  if (!seconds)
    return std::nullopt;
  return *seconds + (age ? AgeSeconds(*age) : 0);
}
