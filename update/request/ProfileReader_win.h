#pragma once

#include "update/request/Settings.h"

/// Reads settings with GetPrivateProfileStringW, as UTF-8: names match without regard to case, and
/// a value longer than a setting may be comes back one character longer than that.
std::string ReadPrivateProfileString(const std::string &file, const std::string &section,
                                     const std::string &key, const std::string &defaultValue);
