// The release record as the server sends it: an accepted record holds only values it may hold,
// and the record written out again from those values reads back the same.
#include "update/offer/ReleaseRecord.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

void Require(bool ok) {
  if (!ok)
    abort();
}

// Seconds since 1970 as "YYYY-MM-DDTHH:MM:SSZ", by days-to-civil: the reverse of the reader's
// conversion, written apart from it so that the one checks the other.
std::string PublishedText(int64_t seconds) {
  const int64_t days = seconds / 86400, ofDay = seconds % 86400;
  const int64_t shifted = days + 719468, era = shifted / 146097, dayOfEra = shifted - era * 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[32];
  snprintf(text, sizeof text, "%04lld-%02lld-%02lldT%02lld:%02lld:%02lldZ",
           static_cast<long long>(year), static_cast<long long>(month), static_cast<long long>(day),
           static_cast<long long>(ofDay / 3600), static_cast<long long>(ofDay / 60 % 60),
           static_cast<long long>(ofDay % 60));
  return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string body(reinterpret_cast<const char *>(data), size);
  const std::optional<TReleaseRecord> record = ReleaseRecordOf(body);
  if (!record)
    return 0;
  Require(size <= kMaxReleaseRecordSize);
  Require(record->Size >= 1 && record->Size <= kMaxReleaseSize);
  Require(record->RolloutDays <= kMaxRolloutDays);
  Require(record->Sha256.size() == 64 &&
          record->Sha256.find_first_not_of("0123456789abcdef") == std::string::npos);
  Require(record->PublishedAt >= 0 && record->PublishedAt <= 253402300799); // to 9999's end
  const std::string rewritten =
      "version=" + record->Version + "\nsize=" + std::to_string(record->Size) +
      "\nsha256=" + record->Sha256 + "\npublished=" + PublishedText(record->PublishedAt) +
      "\nrollout-days=" + std::to_string(record->RolloutDays) +
      "\nhalted=" + (record->Halted ? "1" : "0") + "\n";
  Require(ReleaseRecordOf(rewritten) == record);
  return 0;
}
