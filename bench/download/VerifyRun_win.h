#pragma once

#include <string>

/// The check the updater runs on a finished download when its settings name a key: file in the
/// folder served, held as the updater holds it, hashed and verified against file.sig there with
/// the key in release.pub. Prints its time and peak working set; false when the check failed.
bool RunVerify(const std::string &served, const std::string &file);
