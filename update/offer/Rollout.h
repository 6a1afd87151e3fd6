#pragma once

#include "update/offer/ReleaseRecord.h"

#include <cstdint>
#include <string>

/// How many groups a rollout reaches one after another: a hundredth of the users at a time, so
/// that a release halted on its first day has reached few.
constexpr uint32_t kRolloutGroups = 100;

/// The group, 0 to kRolloutGroups - 1, of the installation whose stored draw is draw, for the
/// release of version. The same draw keeps its group for a release however often it checks,
/// and falls in a group of its own for the next: nobody goes first every time.
uint32_t RolloutGroupOf(uint64_t draw, const std::string &version);

/// Whether the release reaches group at now (seconds since 1970, UTC): group g once g hundredths
/// of the rollout have passed since publication. A halted release reaches nobody; one without a
/// rollout everyone.
bool ReachesGroup(const TReleaseRecord &record, uint32_t group, int64_t now);
