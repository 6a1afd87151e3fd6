#pragma once

#include <string>

/// path as a full path: relative to the current folder, with "." and ".." resolved; "" when it
/// cannot be made one.
std::string FullPathName(const std::string &path);

/// Whether the install step of the updater at updater may install over program: program names
/// an existing file, not a link, whose name ends in ".exe" (any letter case), in the updater's
/// own folder or in the folder right above it (full paths, compared without regard to case),
/// and no folder from the root down to the updater's own is a link, which could lead elsewhere
/// while the step writes.
bool LiesWithUpdater(const std::string &program, const std::string &updater);
