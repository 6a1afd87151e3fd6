#pragma once

#include <functional>
#include <string>

/// Moves download over program in one step, so that program is never missing: afterwards it
/// is either the old file or the new one. False, with both files as they were, when it fails.
bool ReplaceProgramFile(const std::string &download, const std::string &program);

/// Whether no move can ever replace program, whoever makes it: the file is marked read-only, or
/// lies on a volume that is (a CD, a write-protected medium). False when it cannot be told.
bool ProgramIsReadOnly(const std::string &program);
/// How the update dialog asks that, once an update is found.
using TReadOnlyCheck = std::function<bool(const std::string &program)>;
