#include "update/offer/CheckRecord.h"

#include <chrono>

namespace {

const char kChecked[] = "checked=";
const char kSkipped[] = "skipped=";
const char kDraw[] = "draw=";
constexpr size_t kDrawDigits = 16;
// A version as the version file gives it is a few characters: an optional minus, then digits.
constexpr size_t kMaxVersionLength = 12;
constexpr size_t kMaxSecondsLength = 18;

bool IsDigits(const std::string &text, size_t from, size_t maximum) {
  const size_t length = text.size() - from;
  return length > 0 && length <= maximum &&
         text.find_first_not_of("0123456789", from) == std::string::npos;
}

bool IsDraw(const std::string &text) {
  return text.size() == kDrawDigits &&
         text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

bool IsVersion(const std::string &text) {
  return IsDigits(text, text.rfind('-', 0) == 0 ? 1 : 0, kMaxVersionLength);
}

} // namespace

std::string CheckRecordText(const TCheckRecord &record) {
  std::string text;
  if (record.CheckedAt)
    text += kChecked + std::to_string(*record.CheckedAt) + "\n";
  if (!record.SkippedVersion.empty())
    text += kSkipped + record.SkippedVersion + "\n";
  if (record.Draw) {
    static const char kHex[] = "0123456789abcdef";
    std::string digits(kDrawDigits, '0');
    for (size_t i = 0; i < kDrawDigits; ++i)
      digits[kDrawDigits - 1 - i] = kHex[(*record.Draw >> (4 * i)) & 0xF];
    text += kDraw + digits + "\n";
  }
  return text;
}

TCheckRecord CheckRecordOf(const std::string &text) {
  TCheckRecord record;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    if (end == std::string::npos)
      return {};
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    const std::string value = line.substr(line.find('=') + 1);
    if (line.rfind(kChecked, 0) == 0 && !record.CheckedAt && IsDigits(value, 0, kMaxSecondsLength))
      record.CheckedAt = std::stoll(value);
    else if (line.rfind(kSkipped, 0) == 0 && record.SkippedVersion.empty() && IsVersion(value))
      record.SkippedVersion = value;
    else if (line.rfind(kDraw, 0) == 0 && !record.Draw && IsDraw(value))
      record.Draw = std::stoull(value, nullptr, 16);
    else
      return {};
  }
  return record;
}

bool CheckedWithin(const TCheckRecord &record, int64_t now, uint32_t hours) {
  return record.CheckedAt && *record.CheckedAt <= now &&
         now - *record.CheckedAt < static_cast<int64_t>(hours) * 3600;
}

int64_t SecondsSinceEpoch() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}
