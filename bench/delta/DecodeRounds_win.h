#pragma once

#include <windows.h>

#include <optional>
#include <string>

/// A delta and the two programs it joins, read whole.
struct TDeltaFiles {
  std::string Old, Delta, New;
};

/// Rebuilds New from Delta with Old as its reference, memory to memory, through RebuildFromDelta
/// as the updater's worker calls it; its time in milliseconds. Throws std::runtime_error when it
/// did not rebuild New.
double TimeRebuild(const TDeltaFiles &files);

/// Rebuilds as TimeRebuild does, on a thread of its own, raises the stop flag after delay
/// milliseconds, and measures from the flag to RebuildFromDelta's return; nothing when the
/// rebuild was over before the flag. Throws std::runtime_error when it ended otherwise than
/// stopped or rebuilt.
std::optional<double> TimeStop(const TDeltaFiles &files, DWORD delay);
