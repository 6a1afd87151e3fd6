#pragma once

#include "update/verify/PublisherKey.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

/// Reads a value of a settings file, UTF-8, as the private-profile call does: the value of key in
/// section of file, or defaultValue when the key or the file is missing. A value longer than
/// kMaxSettingLength comes back longer than that, never cut to it.
using TProfileReader =
    std::function<std::string(const std::string &file, const std::string &section,
                              const std::string &key, const std::string &defaultValue)>;

/// The longest value a setting may have, in characters (UTF-16 units, as the platform counts).
constexpr size_t kMaxSettingLength = 2047;

/// What the settings file beside the updater says; it is only ever read.
struct TUpdaterSettings {
  std::string AppTitle;     // names the application being updated; "" when missing
  std::string VersionFile;  // URL of the version file; "null" when missing
  std::string DownloadFile; // URL of the new program file; "null" when missing
  /// How long a transfer may receive nothing before it fails; 0 when the file's "Timeout" is
  /// not a whole number of seconds from 1 to 3600. 60 when the key is missing or empty.
  uint32_t TimeoutSeconds = 0;
  /// The publisher's public key, in base64, that every download must be signed with; "" when
  /// there is none. Checked when the update dialog imports it.
  std::string PublicKey;
  /// "1": an update is first asked for as a delta against the installed program; "0" or "":
  /// never. Any other value is not usable.
  std::string DeltaUpdates;

  /// URL of the release notes shown in the offer; "" when missing: the offer shows none.
  std::string ReleaseNotes;
  /// URL of the publisher's record of the release that the version file offers, which the
  /// download must match; "" when missing: none is asked for.
  std::string ReleaseRecord;
  /// The least time between two checks of a start with a switch, in hours; 0 when the key is
  /// missing or empty: every start checks. kNoInterval when "CheckInterval" is not a whole
  /// number of hours up to a year.
  uint32_t CheckIntervalHours = 0;

  static constexpr uint32_t kNoInterval = UINT32_MAX;

  bool AsksForDeltas() const { return DeltaUpdates == "1"; }

  /// Whether every setting can mean what its key says: both URLs present ("null", exactly in
  /// lower case, stands for a missing one), no value longer than a setting may be, a usable
  /// timeout, DeltaUpdates and CheckInterval.
  bool Usable() const;
};

/// Reads section "Updater" of settingsFile.
TUpdaterSettings ReadUpdaterSettings(const std::string &settingsFile, const TProfileReader &read);

/// The publisher's key that settings name, imported through import: nullptr when they name
/// none; nothing when they are not usable, or name a key that cannot be imported, since a key
/// that cannot be used must never pass for one that protects.
std::optional<std::unique_ptr<TPublisherKey>> ImportSettingsKey(const TUpdaterSettings &settings,
                                                                const TPublisherKeyImport &import);
