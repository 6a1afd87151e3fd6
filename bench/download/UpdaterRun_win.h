#pragma once

#include <string>

/// One download of file from server through the updater's dialog and window, started as a host
/// would start it, with folder as the program's folder. Prints its time, peak working set, and
/// the worker's wait per chunk and the handler's part of it, and the time from the dialog's start
/// (the version check) to the question after the download; or with clickCancel, the delays of
/// the "Abort" question after five clicks on Cancel. With withRecord the settings name the
/// release record <file>.record beside it. False when the download or a click failed.
bool RunUpdater(const std::string &server, const std::string &file, const std::string &folder,
                bool clickCancel, bool withRecord = false);
