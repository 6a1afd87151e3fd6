#pragma once

#include <functional>
#include <string>
#include <vector>

/// Wine draws caption bars only inside a virtual desktop of its own, so under Wine a driver (the
/// end-to-end tests, the demo's) runs again inside one, where everything it starts lives too
/// and screenshots show what a user would see. Wine's explorer, which hosts the desktop, does not
/// pass the exit code of the program it runs back, so the inner run writes it to a file that the
/// outer run reads.

/// True when this program runs under Wine.
bool RunningUnderWine();
/// The value (UTF-8) of the --e2e-exit-code-file=PATH argument that marks the inner run, or "".
std::string ExitCodeFileArgument();
/// Runs this program again with its own arguments inside a new virtual desktop, waits for it
/// and returns the exit code it recorded; 1 when it recorded none.
int RunInVirtualDesktop();
/// Records the inner run's exit code for the outer run.
void RecordExitCode(const std::string &exitCodeFile, int exitCode);

using TArguments = std::vector<std::string>;
/// The whole of a program's main that runs in a virtual desktop where arguments ask for one:
/// under Wine, when inDesktop holds for this program's arguments (its own path left out), runs
/// it again inside a new desktop and returns what that run recorded; otherwise returns what run
/// returns for them, or 1 after telling on stderr, after name, what run threw.
int RunWithDesktop(const char *name, const std::function<bool(const TArguments &)> &inDesktop,
                   const std::function<int(const TArguments &)> &run);
