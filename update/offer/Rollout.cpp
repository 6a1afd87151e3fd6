#include "update/offer/Rollout.h"

#include <algorithm>

namespace {

constexpr uint64_t kSecondsPerDay = 86400;

uint64_t Fnv1a64(const std::string &text) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : text)
    hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  return hash;
}

// splitmix64's finaliser: every bit of the input moves about half of the output's bits.
uint64_t Mixed(uint64_t value) {
  value = (value ^ (value >> 30)) * 0xbf58476d1ce4e5b9u;
  value = (value ^ (value >> 27)) * 0x94d049bb133111ebu;
  return value ^ (value >> 31);
}

} // namespace

uint32_t RolloutGroupOf(uint64_t draw, const std::string &version) {
  return static_cast<uint32_t>(Mixed(draw ^ Fnv1a64(version)) % kRolloutGroups);
}

bool ReachesGroup(const TReleaseRecord &record, uint32_t group, int64_t now) {
  if (record.Halted)
    return false;
  if (record.RolloutDays == 0)
    return true;
  if (now < record.PublishedAt)
    return false;
  // The true difference lies in 0..2^64 - 1, which unsigned arithmetic gives exactly.
  const uint64_t elapsed = static_cast<uint64_t>(now) - static_cast<uint64_t>(record.PublishedAt);
  const uint64_t rollout = record.RolloutDays * kSecondsPerDay;
  // A group past the last is reached with it, when the whole rollout has passed.
  const uint64_t stage = std::min(group, kRolloutGroups);
  if (elapsed >= rollout)
    return true;
  // Here elapsed < rollout < 2^49, so neither product reaches 2^64.
  return elapsed * kRolloutGroups >= stage * rollout;
}
