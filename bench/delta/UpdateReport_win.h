#pragma once

#include "bench/delta/UpdateRound_win.h"

#include <cstdint>
#include <string>
#include <vector>

/// The rounds of one case, on both roads.
struct TCaseRounds {
  std::string Name;
  uint64_t OldSize = 0, NewSize = 0; // of the installed and the new program, in bytes
  std::vector<TUpdateMeasures> Whole, Delta;
};

/// Prints what the rounds of a case measured: the requests of a round and the bytes the server
/// sent on each road, the time from Yes to the checked file and the updater's peak working set,
/// the median and the worst of each, and every sample.
void PrintCase(const TCaseRounds &rounds);
