#pragma once

#include <filesystem>
#include <string>

/// What `zstd --patch-from` makes of oldContent and newContent, as a publisher makes a delta, with
/// zstd's further options (for example "--no-check"); Debian's zstd program does the work.
std::string DeltaOf(const std::string &oldContent, const std::string &newContent,
                    const std::string &options = "");

/// A program of a given version; two versions share most of their bytes, as consecutive builds
/// of a program do.
std::string Release(int version);

void WriteFile(const std::filesystem::path &path, const std::string &content);
std::string ContentOf(const std::filesystem::path &path);
