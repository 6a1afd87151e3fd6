#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The platform's side of reading version data: version.dll and the module file names.

/// The longest path the version API is handed, without its terminating NUL.
constexpr size_t kMaxVersionPathLength = 255;

/// The whole version-information block of fileName (GetFileVersionInfoSizeA, then
/// GetFileVersionInfoA into a block of exactly that size); empty when the file is missing,
/// unreadable or has no version resource.
std::vector<char> ReadVersionInfoBlock(const std::string &fileName);

/// Queries subBlock in block (VerQueryValueA); false when the platform finds nothing or answers
/// with a value that does not lie inside block.
bool QueryVersionValue(const std::vector<char> &block, const std::string &subBlock,
                       const char **value, uint32_t *length);

/// The full path of the running program's executable file, however long; "" when it cannot be
/// had.
std::string RunningProgramFileName();
/// Whether this code runs inside a dynamic library rather than the program's executable.
bool RunsInsideLibrary();
/// A string of the string table of the module that holds this code; "" when it has none.
std::string LoadOwnString(int id);
/// The full path of the module that holds this code, however long; "" when it cannot be had.
std::string OwnModuleFileName();
