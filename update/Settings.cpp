#include "update/Settings.h"

namespace {

constexpr uint32_t kDefaultTimeoutSeconds = 60;
constexpr uint32_t kMaxTimeoutSeconds = 3600;

// Plain decimal digits only: a sign, a hexadecimal prefix or a unit would read as something
// the publisher did not mean.
uint32_t TimeoutSecondsOf(const std::string &text) {
  if (text.empty())
    return kDefaultTimeoutSeconds;
  uint32_t seconds = 0;
  for (const char c : text) {
    if (c < '0' || c > '9')
      return 0;
    seconds = seconds * 10 + static_cast<uint32_t>(c - '0');
    if (seconds > kMaxTimeoutSeconds)
      return 0;
  }
  return seconds;
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
         fits(DownloadFile) && fits(PublicKey) && TimeoutSeconds != 0 &&
         (DeltaUpdates.empty() || DeltaUpdates == "0" || AsksForDeltas());
}

TUpdaterSettings ReadUpdaterSettings(const std::string &settingsFile, const TProfileReader &read) {
  static const char kSection[] = "Updater";
  TUpdaterSettings settings;
  settings.AppTitle = read(settingsFile, kSection, "AppTitle", "");
  settings.VersionFile = read(settingsFile, kSection, "VersionFile", "null");
  settings.DownloadFile = read(settingsFile, kSection, "DownloadFile", "null");
  settings.TimeoutSeconds = TimeoutSecondsOf(read(settingsFile, kSection, "Timeout", ""));
  settings.PublicKey = read(settingsFile, kSection, "PublicKey", "");
  settings.DeltaUpdates = read(settingsFile, kSection, "DeltaUpdates", "");
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
