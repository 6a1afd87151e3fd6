#pragma once

#include <functional>
#include <string>

/// The name under which a download waits beside program until it is moved over it.
std::string TemporaryNameBeside(const std::string &program);

/// Where the download is written when it would lie at besideProgram: there, unless the program's
/// folder refuses new files (access denied, a write-protected medium); then in a new, empty file
/// of the user's temporary folder, under a name no other file has. A failure of another kind
/// leaves besideProgram, whose transfer then fails as it would have. Whatever lay at
/// besideProgram is deleted, as the transfer would delete it.
std::string DownloadTargetFor(const std::string &besideProgram);

/// How the update dialog chooses, when the download starts, where it is written.
using TDownloadTargetChoice = std::function<std::string(const std::string &besideProgram)>;
