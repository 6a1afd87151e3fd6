#pragma once

#include <string>

/// One download of file from server through the updater's dialog and window, started as a host
/// would start it, with folder as the program's folder. Prints its time, peak working set, and
/// the worker's wait per chunk and the handler's part of it; or with clickCancel, the delays of
/// the "Abort" question after five clicks on Cancel. False when the download or a click failed.
bool RunUpdater(const std::string &server, const std::string &file, const std::string &folder,
                bool clickCancel);
