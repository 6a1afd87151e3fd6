#pragma once

#include <string>

/// Lays out a program with the updater beside it, as a publisher ships them: folder made (UTF-8,
/// like every path here), updater copied in as updater.exe, program copied in as programName,
/// and updater.ini whose [Updater] section holds settings, lines each ended by "\r\n". Throws
/// std::runtime_error when any of it fails.
void InstallUpdater(const std::string &folder, const std::string &updater,
                    const std::string &program, const std::string &programName,
                    const std::string &settings);
