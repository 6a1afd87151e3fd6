#include "update/Settings.h"

TUpdaterSettings ReadUpdaterSettings(const std::string &settingsFile, const TProfileReader &read) {
  static const char kSection[] = "Updater";
  return {read(settingsFile, kSection, "AppTitle", ""),
          read(settingsFile, kSection, "VersionFile", "null"),
          read(settingsFile, kSection, "DownloadFile", "null")};
}
