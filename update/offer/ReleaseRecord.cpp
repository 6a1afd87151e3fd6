#include "update/offer/ReleaseRecord.h"

#include "update/offer/Utf8Text.h"

namespace {

// A version as the version file's canonical text: an optional minus, then up to 12 digits.
constexpr uint64_t kMaxVersionMagnitude = 999999999999;
constexpr int64_t kSecondsPerDay = 86400;
const char kBlanks[] = " \t";

std::string Trimmed(const std::string &text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos)
    return {};
  return text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
}

// Decimal digits without a leading zero, "0" itself aside, of a value no larger than maximum.
std::optional<uint64_t> DecimalOf(const std::string &text, uint64_t maximum) {
  // Nineteen digits stay below 2^64, and no maximum here needs as many.
  if (text.empty() || text.size() > 19 || (text[0] == '0' && text.size() > 1))
    return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > maximum)
    return std::nullopt;
  return value;
}

// Exactly count digits at text[at], leading zeros allowed, as in a date's fields.
std::optional<int64_t> FixedDigitsAt(const std::string &text, size_t at, size_t count) {
  int64_t value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

bool IsLeapYear(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

// Days from 1970-01-01 to the date in the proleptic Gregorian calendar, for years from 1 on:
// counted in eras of 400 years that begin on the 1st of March, so that a leap day ends its year.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = year / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

// "YYYY-MM-DDTHH:MM:SSZ" of a real date and time, years 1970 to 9999, no leap second.
std::optional<int64_t> SecondsOf(const std::string &text) {
  static const char kShape[] = "0000-00-00T00:00:00Z";
  if (text.size() != sizeof kShape - 1)
    return std::nullopt;
  for (size_t i = 0; i < text.size(); ++i)
    if (kShape[i] != '0' && text[i] != kShape[i])
      return std::nullopt;
  const auto year = FixedDigitsAt(text, 0, 4), month = FixedDigitsAt(text, 5, 2),
             day = FixedDigitsAt(text, 8, 2), hour = FixedDigitsAt(text, 11, 2),
             minute = FixedDigitsAt(text, 14, 2), second = FixedDigitsAt(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second)
    return std::nullopt;
  static const int64_t kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (*year < 1970 || *month < 1 || *month > 12 || *day < 1 || *hour > 23 || *minute > 59 ||
      *second > 59)
    return std::nullopt;
  const bool leapDay = *month == 2 && *day == 29 && IsLeapYear(*year);
  if (*day > kMonthDays[*month - 1] && !leapDay)
    return std::nullopt;
  return DaysFromCivil(*year, *month, *day) * kSecondsPerDay + *hour * 3600 + *minute * 60 +
         *second;
}

bool IsCanonicalVersion(const std::string &text) {
  const bool negative = text.rfind('-', 0) == 0;
  const std::string magnitude = text.substr(negative ? 1 : 0);
  return DecimalOf(magnitude, kMaxVersionMagnitude) && !(negative && magnitude == "0");
}

std::optional<std::string> Sha256Of(const std::string &text) {
  if (text.size() != 64)
    return std::nullopt;
  std::string lower = text;
  for (char &c : lower) {
    if (c >= 'A' && c <= 'F')
      c = static_cast<char>(c - 'A' + 'a');
    else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
      return std::nullopt;
  }
  return lower;
}

struct TField {
  const char *Key;
  bool Required;
  // Puts the value into the record; false when it may not stand for the key.
  bool (*Read)(const std::string &value, TReleaseRecord &record);
};

const TField kFields[] = {
    {"version", true,
     [](const std::string &value, TReleaseRecord &record) {
       record.Version = value;
       return IsCanonicalVersion(value);
     }},
    {"size", true,
     [](const std::string &value, TReleaseRecord &record) {
       const auto size = DecimalOf(value, kMaxReleaseSize);
       record.Size = static_cast<uint32_t>(size.value_or(0));
       return size && *size > 0;
     }},
    {"sha256", true,
     [](const std::string &value, TReleaseRecord &record) {
       const auto sha256 = Sha256Of(value);
       record.Sha256 = sha256.value_or("");
       return sha256.has_value();
     }},
    {"published", true,
     [](const std::string &value, TReleaseRecord &record) {
       const auto seconds = SecondsOf(value);
       record.PublishedAt = seconds.value_or(0);
       return seconds.has_value();
     }},
    {"rollout-days", false,
     [](const std::string &value, TReleaseRecord &record) {
       const auto days = DecimalOf(value, kMaxRolloutDays);
       record.RolloutDays = static_cast<uint32_t>(days.value_or(0));
       return days.has_value();
     }},
    {"halted", false,
     [](const std::string &value, TReleaseRecord &record) {
       record.Halted = value == "1";
       return value == "0" || value == "1";
     }},
};
constexpr size_t kFieldCount = sizeof kFields / sizeof kFields[0];

// One line without its end: true when it is blank, a comment, a key that is not known, or a
// known key seen for the first time with a value it may hold.
bool ReadLine(const std::string &line, TReleaseRecord &record, bool (&seen)[kFieldCount]) {
  const std::string trimmed = Trimmed(line);
  if (trimmed.empty() || trimmed[0] == '#')
    return true;
  const size_t equals = line.find('=');
  if (equals == std::string::npos)
    return false;
  const std::string key = Trimmed(line.substr(0, equals));
  for (size_t i = 0; i < kFieldCount; ++i) {
    if (key != kFields[i].Key)
      continue;
    if (seen[i])
      return false;
    seen[i] = true;
    return kFields[i].Read(Trimmed(line.substr(equals + 1)), record);
  }
  return true;
}

} // namespace

bool TReleaseRecord::operator==(const TReleaseRecord &other) const {
  return Version == other.Version && Size == other.Size && Sha256 == other.Sha256 &&
         PublishedAt == other.PublishedAt && RolloutDays == other.RolloutDays &&
         Halted == other.Halted;
}

std::optional<TReleaseRecord> ReleaseRecordOf(const std::string &body) {
  if (body.size() > kMaxReleaseRecordSize || !IsUtf8(body))
    return std::nullopt;
  TReleaseRecord record;
  bool seen[kFieldCount] = {};
  for (size_t at = ByteOrderMarkLength(body); at < body.size();) {
    size_t end = body.find('\n', at);
    if (end == std::string::npos)
      end = body.size();
    std::string line = body.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    if (!ReadLine(line, record, seen))
      return std::nullopt;
  }
  for (size_t i = 0; i < kFieldCount; ++i)
    if (kFields[i].Required && !seen[i])
      return std::nullopt;
  return record;
}
