#pragma once

#include <cstddef>
#include <string>

/// The version file holds one or two characters; a longer body is refused.
constexpr size_t kVersionFileMaxLength = 2;

/// The version in the version file's body written in decimal: no leading zeros, no plus sign,
/// a minus sign for a negative value ("07" gives "7", "$A" gives "10"). Throws EConvertError
/// when the body is not an integer.
std::string CanonicalVersionText(const std::string &body);

/// Whether an update is offered: the current version sorts before the latest as text, byte by
/// byte as unsigned codes, the shorter text first when one begins the other. So 9 is not
/// updated to 10, and 01 is updated to 1.
bool OffersUpdate(const std::string &currentVersion, const std::string &latestVersion);

/// The body as a user can read it: in single quotes, each control character written as #code
/// outside them ("5" and a line feed give '5'#10).
std::string QuotedForMessage(const std::string &body);
