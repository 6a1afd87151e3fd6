#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The platform's side of reading version data: version.dll and the module file names. Names,
// keys and texts are UTF-8 here and cross to the platform's wide calls whole, however long.

/// The whole version-information block of fileName (GetFileVersionInfoSizeW, then
/// GetFileVersionInfoW into a block of exactly that size); empty when the file is missing,
/// unreadable or has no version resource.
std::vector<char> ReadVersionInfoBlock(const std::string &fileName);

/// Queries the binary value subBlock in block (VerQueryValueW): value and its length in bytes;
/// false when the platform finds nothing or answers with a value that does not lie inside
/// block.
bool QueryVersionValue(const std::vector<char> &block, const std::string &subBlock,
                       const char **value, uint32_t *length);

/// The text value subBlock in block, as UTF-8: up to its first NUL, or up to the end of block
/// when it has none, never past it; "" when QueryVersionValue would answer false.
std::string QueryVersionText(const std::vector<char> &block, const std::string &subBlock);

/// The full path of the running program's executable file, however long; "" when it cannot be
/// had.
std::string RunningProgramFileName();
/// Whether this code runs inside a dynamic library rather than the program's executable.
bool RunsInsideLibrary();
/// A string of the string table of the module that holds this code, however long; "" when it
/// has none.
std::string LoadOwnString(int id);
/// The full path of the module that holds this code, however long; "" when it cannot be had.
std::string OwnModuleFileName();
