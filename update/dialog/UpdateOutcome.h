#pragma once

#include <cstdint>

/// How an updater started with /quiet or /auto ended: its exit code, which tells the host what
/// happened. Started without a switch, the updater ends with 0 whatever happened.
enum class TUpdateOutcome : uint32_t {
  UpToDate = 0,         // the version file offers nothing newer
  Updated = 1,          // the new version replaced the program
  Declined = 2,         // the user declined the update, or aborted it on the way
  CheckFailed = 3,      // the version check failed: no network, an error page, a bad version file
  SettingsUnusable = 4, // the settings beside the updater are missing or unusable
  UpdateFailed = 5,     // the update the user asked for failed, or its download was refused
  AlreadyRunning = 6,   // another updater runs for the same program
  InstallNeedsUser = 7, // /auto only: an update is available, but installing it needs the user
  ProgramReadOnly = 8,  // an update is available, but the program file is read-only: nothing was
                        // downloaded
};
