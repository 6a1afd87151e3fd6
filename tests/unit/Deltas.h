#pragma once

#include <string>

/// What `zstd --patch-from` makes of oldContent and newContent, as a publisher makes a delta, with
/// zstd's further options (for example "--no-check"); Debian's zstd program does the work.
std::string DeltaOf(const std::string &oldContent, const std::string &newContent,
                    const std::string &options = "");
