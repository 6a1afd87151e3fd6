#pragma once

#include <string>
#include <vector>

/// Splits a process command line into its items, the program's own path first. Items are
/// separated by characters of code 1 to 32; a stretch in double quotes may hold blanks and the
/// quotes are dropped; an empty pair of quotes where an item would begin yields no item.
std::vector<std::string> SplitCommandLine(const std::string &commandLine);
/// The command line after its first count items, as it was written there: what a program that
/// takes those items for itself hands on to another.
std::string CommandLineAfter(const std::string &commandLine, size_t count);
