#pragma once

#include "bench/auto/AutoRound_win.h"

#include <vector>

/// Prints what the rounds measured: the median and the worst of each figure, and every sample.
/// Only the rounds that held the updater waiting count for its processor time while it waits.
void PrintReport(const std::vector<TRoundMeasures> &rounds);
