#pragma once

#include <string>

/// How the host asked the updater to start: the third item of the command line, after the
/// version and the program, in any letter case.
enum class TStartMode {
  Asked,     // no switch: the window at once, every step asked
  Quiet,     // "/quiet": hidden and silent until an update is offered, then asked
  Automatic, // "/auto": hidden and silent to the end; an update is installed when the program
             // closes
};

TStartMode StartModeOf(const std::string &commandLine);
