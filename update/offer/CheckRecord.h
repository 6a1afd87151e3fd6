#pragma once

#include <cstdint>
#include <optional>
#include <string>

/// What the updater keeps of its checks for one program and one user.
struct TCheckRecord {
  /// When a check last reached the server, in seconds since 1970 (UTC); nothing: never.
  std::optional<int64_t> CheckedAt;
  /// The version the user chose not to be offered, as the version file gives it; "": none.
  std::string SkippedVersion;
  /// The random number, drawn once, that places the user in a group of each staged rollout;
  /// nothing: none drawn yet.
  std::optional<uint64_t> Draw;

  bool operator==(const TCheckRecord &other) const {
    return CheckedAt == other.CheckedAt && SkippedVersion == other.SkippedVersion &&
           Draw == other.Draw;
  }
};

/// The record as it is stored: "checked=<seconds>", "skipped=<version>" and "draw=<16
/// hexadecimal digits>" lines, each only when there is something to keep.
std::string CheckRecordText(const TCheckRecord &record);
/// The record that text holds; an empty one when text is not one that CheckRecordText writes,
/// since a damaged record must never keep an update away.
TCheckRecord CheckRecordOf(const std::string &text);

/// Whether a check reached the server less than hours before now. A record from the future
/// tells of a clock that was set back and proves nothing.
bool CheckedWithin(const TCheckRecord &record, int64_t now, uint32_t hours);

/// The seconds since 1970 (UTC) by the system's clock.
int64_t SecondsSinceEpoch();

/// The record the user keeps for program, the full path of its file; an empty one when there
/// is none or it cannot be read.
TCheckRecord StoredCheckRecord(const std::string &program);
/// Keeps record for program for the user; false when it cannot be kept: it is lost, and the
/// next start checks as if there were none.
bool StoreCheckRecord(const std::string &program, const TCheckRecord &record);

/// A random number from the platform's generator for cryptography, which no other installation
/// shares; nothing where it gives none.
std::optional<uint64_t> RandomDraw();
