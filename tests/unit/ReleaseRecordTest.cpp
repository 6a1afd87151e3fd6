// The release record beside the version file, and the stages by which a release reaches users.

#include "update/offer/ReleaseRecord.h"
#include "update/offer/Rollout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

const std::string kSha = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
constexpr int64_t kAt = 1709209805; // 2024-02-29T12:30:05Z
const TReleaseRecord kLeast{"12", 1048576, kSha, kAt, 0, false};
const std::string kBody = "version=12\nsize=1048576\npublished=2024-02-29T12:30:05Z\nsha256="
                          "9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08\n";

// The least record without key's line, and with "key=value" last for a value.
std::string RecordWith(const std::string &key, const std::optional<std::string> &value = {}) {
  std::string body = kBody;
  if (const size_t at = body.find(key + "="); at != std::string::npos)
    body.erase(at, body.find('\n', at) + 1 - at);
  return value ? body + key + "=" + *value + "\n" : body;
}

TEST(ReleaseRecord, TakesTheFieldsAsWrittenAndTheirBounds) {
  const std::pair<std::string, TReleaseRecord> rows[] = {
      {kBody + "halted=0\n" + std::string(kMaxReleaseRecordSize - kBody.size() - 9, '#'), kLeast},
      {"\xEF\xBB\xBFsha256=" + kSha + "\r\nversion=0\r\nsize=1\r\npublished=1970-01-01T00:00:00Z",
       {"0", 1, kSha, 0, 0, false}},
      {"# notes\n\n \t\r\nnext=1\nnext=2\n=\n" + RecordWith("published", "9999-12-31T23:59:59Z"),
       {"12", 1048576, kSha, 253402300799, 0, false}},
      {" version \t= -999999999999\t\nsize= 2147483647 \nsha256=" + kSha +
           "\r\npublished =2000-02-29T23:59:59Z\nrollout-days=365\nhalted=1",
       {"-999999999999", kMaxReleaseSize, kSha, 951868799, kMaxRolloutDays, true}}};
  for (const auto &[body, read] : rows)
    EXPECT_EQ(ReleaseRecordOf(body), read) << body;
}

// Anything but a whole, well-formed record is no record at all: never half of one.
TEST(ReleaseRecord, RefusesAnythingElse) {
  const std::pair<std::string, std::vector<std::optional<std::string>>> rows[] = {
      {"version", {std::nullopt, "007", "-0", "+7", "", "1234567890123"}},
      {"size", {std::nullopt, "0", "2147483648", "18446744073709551617"}}, // 2^64 + 1
      {"sha256", {std::nullopt, kSha.substr(1), kSha + "0", kSha.substr(1) + "g"}},
      {"published",
       {std::nullopt, "2023-02-29T00:00:00Z", "2100-02-29T00:00:00Z", "2024-13-01T00:00:00Z",
        "2024-04-31T00:00:00Z", "2024-00-10T00:00:00Z", "2024-01-00T00:00:00Z",
        "2024-01-01T24:00:00Z", "2024-01-01T00:60:00Z", "2016-12-31T23:59:60Z",
        "2024-01-01T00:00:00", "2024-01-01 00:00:00Z", "1969-12-31T23:59:59Z",
        "2024-01-01T 9:00:00Z"}},
      {"rollout-days", {"366"}},
      {"halted", {"2"}}};
  for (const auto &[key, values] : rows)
    for (const std::optional<std::string> &value : values)
      EXPECT_EQ(ReleaseRecordOf(RecordWith(key, value)), std::nullopt) << RecordWith(key, value);
  for (const std::string &body :
       {kBody + std::string(kMaxReleaseRecordSize - kBody.size() + 1, '#'), "words\n" + kBody,
        kBody + "size=1048576\n", kBody + "note=\xC3\n", RecordWith("halted", "0\rnote=1")})
    EXPECT_EQ(ReleaseRecordOf(body), std::nullopt) << body.substr(0, 80);
}

// Group g is reached g hundredths into the rollout (a group past the last at its end), not before.
TEST(Rollout, ReachesEachGroupAtItsShareOfTheRollout) {
  const int64_t rows[][4] = {{7, 0, kAt, kAt},
                             {7, UINT32_MAX, kAt, kAt + 604800},
                             {1, 1, INT64_MIN, INT64_MIN + 864},
                             {UINT32_MAX, 99, 0, int64_t{UINT32_MAX} * 85536}};
  for (const auto &[days, group, publishedAt, firstReached] : rows) {
    const TReleaseRecord record{"2", 1, kSha, publishedAt, static_cast<uint32_t>(days), false};
    EXPECT_FALSE(ReachesGroup(record, group, firstReached - 1)) << group;
    EXPECT_TRUE(ReachesGroup(record, group, firstReached)) << group;
    EXPECT_TRUE(ReachesGroup(record, group, INT64_MAX) && !ReachesGroup(record, group, INT64_MIN));
  }
  EXPECT_TRUE(ReachesGroup({"2", 1, kSha, kAt, 0, false}, 99, 0)); // no rollout: everyone at once
  for (const uint32_t days : {0u, 7u})                             // halted: nobody
    EXPECT_FALSE(ReachesGroup({"2", 1, kSha, kAt, days, true}, 0, INT64_MAX));
}

// 100 draws per group and 100 in the same group for the next release by chance: five deviations.
TEST(Rollout, SpreadsDrawsOverTheGroupsAnewForEachRelease) {
  uint32_t perGroup[kRolloutGroups] = {}, sameGroup = 0;
  for (uint64_t draw = 0; draw < 10000; ++draw) {
    const uint32_t group = RolloutGroupOf(draw, "12");
    ASSERT_LT(group, kRolloutGroups);
    ++perGroup[group];
    sameGroup += group == RolloutGroupOf(draw, "13") ? 1 : 0;
  }
  for (const uint32_t count : perGroup)
    EXPECT_TRUE(count >= 50 && count <= 150) << count;
  EXPECT_LT(sameGroup, 150u);
}

} // namespace
