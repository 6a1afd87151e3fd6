#pragma once

#include <string>
#include <vector>

/// Runs this program again with arguments (UTF-8), so that every measured run has a process of
/// its own, and returns the numbers it printed; throws std::runtime_error when it failed.
std::vector<double> RunChild(const std::string &arguments);
