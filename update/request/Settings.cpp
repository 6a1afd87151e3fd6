#include "update/request/Settings.h"

namespace {

constexpr uint32_t kDefaultTimeoutSeconds = 60;
constexpr uint32_t kMaxTimeoutSeconds = 3600;
constexpr uint32_t kMaxIntervalHours = 366 * 24;

// Plain decimal digits only: a sign, a hexadecimal prefix or a unit would read as something
// the publisher did not mean. The number given for an empty text, or invalid when it is none
// up to maximum.
uint32_t WholeNumberOf(const std::string &text, uint32_t whenEmpty, uint32_t maximum,
                       uint32_t invalid) {
  if (text.empty())
    return whenEmpty;
  uint32_t number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return invalid;
    number = number * 10 + static_cast<uint32_t>(c - '0');
    if (number > maximum)
      return invalid;
  }
  return number;
}

// A setting's length counts characters as the platform does, in UTF-16 units: a character
// beyond the Basic Multilingual Plane counts twice.
size_t CharacterCount(const std::string &text) {
  size_t count = 0;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte & 0xC0) != 0x80)
      count += byte >= 0xF0 ? 2 : 1;
  }
  return count;
}

} // namespace

bool TUpdaterSettings::Usable() const {
  const auto fits = [](const std::string &value) {
    return CharacterCount(value) <= kMaxSettingLength;
  };
  return VersionFile != "null" && DownloadFile != "null" && fits(AppTitle) && fits(VersionFile) &&
         fits(DownloadFile) && fits(PublicKey) && fits(ReleaseNotes) && fits(ReleaseRecord) &&
         TimeoutSeconds != 0 && CheckIntervalHours != kNoInterval &&
         (DeltaUpdates.empty() || DeltaUpdates == "0" || AsksForDeltas());
}

TUpdaterSettings ReadUpdaterSettings(const std::string &settingsFile, const TProfileReader &read) {
  static const char kSection[] = "Updater";
  TUpdaterSettings settings;
  settings.AppTitle = read(settingsFile, kSection, "AppTitle", "");
  settings.VersionFile = read(settingsFile, kSection, "VersionFile", "null");
  settings.DownloadFile = read(settingsFile, kSection, "DownloadFile", "null");
  settings.TimeoutSeconds = WholeNumberOf(read(settingsFile, kSection, "Timeout", ""),
                                          kDefaultTimeoutSeconds, kMaxTimeoutSeconds, 0);
  settings.PublicKey = read(settingsFile, kSection, "PublicKey", "");
  settings.DeltaUpdates = read(settingsFile, kSection, "DeltaUpdates", "");
  settings.ReleaseNotes = read(settingsFile, kSection, "ReleaseNotes", "");
  settings.ReleaseRecord = read(settingsFile, kSection, "ReleaseRecord", "");
  settings.CheckIntervalHours = WholeNumberOf(read(settingsFile, kSection, "CheckInterval", ""), 0,
                                              kMaxIntervalHours, TUpdaterSettings::kNoInterval);
  return settings;
}

std::optional<std::unique_ptr<TPublisherKey>> ImportSettingsKey(const TUpdaterSettings &settings,
                                                                const TPublisherKeyImport &import) {
  if (!settings.Usable())
    return std::nullopt;
  if (settings.PublicKey.empty())
    return nullptr;
  std::unique_ptr<TPublisherKey> key = import(settings.PublicKey);
  if (!key)
    return std::nullopt;
  return {std::move(key)};
}
