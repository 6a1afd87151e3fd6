#pragma once

#include <string>

/// The floor of a download that a person watches: file from server by the transfer worker's
/// WinINet calls with nothing around them, on a worker while this thread only serves messages,
/// into a file in folder, moving a progress bar in a window of its own. Prints its time, peak
/// working set, and the worker's wait per chunk and the handler's part of it; false when the
/// download failed.
bool RunBare(const std::string &server, const std::string &file, const std::string &folder);
