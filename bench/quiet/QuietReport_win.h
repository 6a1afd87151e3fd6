#pragma once

#include "bench/quiet/QuietRounds_win.h"

#include <vector>

/// Prints each case's wall times beside its floor's, and each case's median against the first
/// case's, which is the reference.
void PrintQuietReport(const std::vector<TCaseSamples> &cases);
