#pragma once

#include <optional>
#include <string>

/// How the host asked the updater to start: the third item of its request, in any letter case.
enum class TStartMode {
  Asked,     // no switch: the window at once, every step asked
  Quiet,     // "/quiet": hidden and silent until an update is offered, then asked
  Automatic, // "/auto": hidden and silent to the end; an update is installed when the program
             // closes
};

/// What the host asks for on the updater's command line: `VERSION PROGRAM [/quiet|/auto]`.
struct THostRequest {
  std::string CurrentVersion; // the host's version, as it passed it
  std::string ProgramFile;    // the host's program file, replaced at the end
  TStartMode Mode = TStartMode::Asked;
};

/// The request on commandLine, the updater's own path first; nothing when it names no version and
/// program. Anything after the switch is ignored, and so is a third item that is no switch.
std::optional<THostRequest> HostRequestOf(const std::string &commandLine);
