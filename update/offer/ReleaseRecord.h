#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

/// The longest release record taken, in bytes: a few lines, and room for a later updater's.
constexpr size_t kMaxReleaseRecordSize = 4096;
/// The largest program a release may name: a transfer counts its bytes in 31 bits.
constexpr uint32_t kMaxReleaseSize = INT32_MAX;
/// The longest rollout a release may ask for, in days.
constexpr uint32_t kMaxRolloutDays = 365;

/// What the publisher says of the release that the version file offers, in the small text file
/// beside it: which program it is, when it was published and how fast it reaches its users.
struct TReleaseRecord {
  std::string Version;      // "version": as the version file's canonical text
  uint32_t Size = 0;        // "size": the whole program's, in bytes, 1 to kMaxReleaseSize
  std::string Sha256;       // "sha256": the whole program's, 64 lower-case hexadecimal digits
  int64_t PublishedAt = 0;  // "published": seconds since 1970 (UTC)
  uint32_t RolloutDays = 0; // "rollout-days": 0 (missing) reaches everyone at once
  bool Halted = false;      // "halted": 1 offers the release to nobody who lacks it

  bool operator==(const TReleaseRecord &other) const;
};

/// The record that body holds: UTF-8 (a byte-order mark allowed) of at most
/// kMaxReleaseRecordSize bytes, one "key=value" line each, every line end a line feed or a
/// carriage return and line feed; blank lines, lines that begin with '#' and keys it does not
/// know are passed over, so that a later updater may add some. "published" is written
/// "YYYY-MM-DDTHH:MM:SSZ". Nothing when a key it knows is missing, given twice or holds what it
/// may not, or when body is anything else. Spaces and tabs around a key, a value or a line are
/// passed over, the last line may lack its end, and numbers are decimal without leading zeros.
std::optional<TReleaseRecord> ReleaseRecordOf(const std::string &body);
