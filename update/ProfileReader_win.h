#pragma once

#include "update/Settings.h"

/// Reads settings with GetPrivateProfileStringA: names match without regard to case, and at
/// most 2047 characters of a value are used.
std::string ReadPrivateProfileString(const std::string &file, const std::string &section,
                                     const std::string &key, const std::string &defaultValue);
