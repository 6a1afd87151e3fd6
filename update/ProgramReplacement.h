#pragma once

#include <string>

/// Moves download over program in one step, so that program is never missing: afterwards it
/// is either the old file or the new one. False, with both files as they were, when it fails.
bool ReplaceProgramFile(const std::string &download, const std::string &program);
