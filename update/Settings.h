#pragma once

#include <functional>
#include <string>

/// Reads a value of a settings file as the private-profile call does: the value of key in
/// section of file, or defaultValue when the key or the file is missing.
using TProfileReader =
    std::function<std::string(const std::string &file, const std::string &section,
                              const std::string &key, const std::string &defaultValue)>;

/// What the settings file beside the updater says; it is only ever read.
struct TUpdaterSettings {
  std::string AppTitle;     // names the application being updated; "" when missing
  std::string VersionFile;  // URL of the version file; "null" when missing
  std::string DownloadFile; // URL of the new program file; "null" when missing

  /// "null", exactly in lower case, stands for a missing URL.
  bool UrlsPresent() const { return VersionFile != "null" && DownloadFile != "null"; }
};

/// Reads section "Updater" of settingsFile.
TUpdaterSettings ReadUpdaterSettings(const std::string &settingsFile, const TProfileReader &read);
