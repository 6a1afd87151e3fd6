#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// The seconds since 1970-01-01 00:00:00 UTC of an HTTP date in the one form that servers send
/// today, "Sun, 06 Nov 1994 08:49:37 GMT"; nothing when the text is anything else.
std::optional<int64_t> SecondsOfHttpDate(const std::string &text);

/// The seconds since 1970-01-01 00:00:00 UTC at which a reply was made by the server's clock:
/// its Date, plus its Age when that is whole seconds of at most a year (what a cache adds to a
/// reply it kept); nothing without a Date that parses.
std::optional<int64_t> ServerTimeOfReply(const std::optional<std::string> &date,
                                         const std::optional<std::string> &age);
