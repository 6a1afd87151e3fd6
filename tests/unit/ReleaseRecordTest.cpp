// The release record beside the version file, and the stages by which a release reaches users.

#include "update/offer/ReleaseRecord.h"
#include "update/offer/Rollout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

const std::string kSha = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kAt = 1709209805; // 2024-02-29T12:30:05Z
const TReleaseRecord kLeast{"12", 1048576, kSha, kAt, 0, false};

const std::string kLeastLines[] = {
    "version=12", "size=1048576", "published=2024-02-29T12:30:05Z",
    "sha256=9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08"};

// The least record without key's line, and with "key=value" last for a value.
std::string RecordWith(const std::string &key, const std::optional<std::string> &value) {
  std::string body;
  for (const std::string &line : kLeastLines)
    body += line.rfind(key + "=", 0) == 0 ? "" : line + "\n";
  return value ? body + key + "=" + *value + "\n" : body;
}
const std::string kBody = RecordWith("", std::nullopt);

TEST(ReleaseRecord, TakesTheFieldsAsWrittenAndTheirBounds) {
  const std::string sha = "sha256=" + kSha + "\r\n";
  const struct {
    std::string Body;
    TReleaseRecord Read;
  } rows[] = {
      {kBody, kLeast},
      {kBody + "rollout-days=7\nhalted=1\n", {"12", 1048576, kSha, kAt, 7, true}},
      {"\xEF\xBB\xBFversion=0\r\nsize=1\r\n" + sha + "published=1970-01-01T00:00:00Z",
       {"0", 1, kSha, 0, 0, false}},
      {"# notes\n\n \t\r\nnext=1\nnext=2\n=\n" + kBody + "#x", kLeast},
      {" version \t= 12\t\nsize= 1048576 \n" + sha + "published =9999-12-31T23:59:59Z",
       {"12", 1048576, kSha, 253402300799, 0, false}},
      {kBody + "x=" + std::string(kMaxReleaseRecordSize - kBody.size() - 3, 'y') + "\n", kLeast},
      {RecordWith("version", "-999999999999"), {"-999999999999", 1048576, kSha, kAt, 0, false}},
      {RecordWith("size", "2147483647"), {"12", kMaxReleaseSize, kSha, kAt, 0, false}},
      {RecordWith("published", "2000-02-29T23:59:59Z"), {"12", 1048576, kSha, 951868799, 0, false}},
      {RecordWith("rollout-days", "365"), {"12", 1048576, kSha, kAt, kMaxRolloutDays, false}},
  };
  for (const auto &row : rows)
    EXPECT_EQ(ReleaseRecordOf(row.Body), row.Read) << row.Body;
}

// Anything but a whole, well-formed record is no record at all: never half of one.
TEST(ReleaseRecord, RefusesAnythingElse) {
  const struct {
    const char *Key;
    std::vector<std::string> Values;
  } rows[] = {
      {"version", {"007", "-0", "+7", "1234567890123", "", "1.0", "0x1", std::string("1\0", 2)}},
      {"size", {"0", "2147483648", "012", "-1", "99999999999999999999", "1 0"}},
      {"sha256", {kSha.substr(1), kSha + "0", kSha.substr(1) + "g"}},
      {"published",
       {"2023-02-29T00:00:00Z", "2100-02-29T00:00:00Z", "2024-13-01T00:00:00Z",
        "2024-04-31T00:00:00Z", "2024-00-10T00:00:00Z", "2024-01-00T00:00:00Z",
        "2024-01-01T24:00:00Z", "2024-01-01T00:60:00Z", "2016-12-31T23:59:60Z",
        "2024-01-01T00:00:00", "2024-01-01 00:00:00Z", "1969-12-31T23:59:59Z",
        "+024-01-01T00:00:00Z", "2024-1-01T00:00:00Z"}},
      {"rollout-days", {"366", "07", "-1", ""}},
      {"halted", {"2", "true", ""}}};
  for (const auto &row : rows)
    for (const std::string &value : row.Values)
      EXPECT_EQ(ReleaseRecordOf(RecordWith(row.Key, value)), std::nullopt) << row.Key << value;
  for (const std::string &body :
       {RecordWith("version", std::nullopt), RecordWith("size", std::nullopt),
        RecordWith("sha256", std::nullopt), RecordWith("published", std::nullopt),
        kBody + "size=1048576\n", kBody + "halted=0\nhalted=0\n", "words\n" + kBody,
        kBody + "note=\xC3\n", "version=12\rsize=1048576\n" + kBody.substr(24), std::string(),
        kBody + "x=" + std::string(kMaxReleaseRecordSize - kBody.size() - 2, 'y') + "\n",
        "\xFF\xFE" + kBody})
    EXPECT_EQ(ReleaseRecordOf(body), std::nullopt) << body.substr(0, 80);
}

// Group g is first reached g hundredths of the rollout after publication, not a second before; a
// group past the last with the whole rollout.
TEST(Rollout, ReachesEachGroupAtItsShareOfTheRollout) {
  const struct {
    uint32_t Days, Group;
    int64_t PublishedAt, FirstReached;
  } rows[] = {{7, 0, kAt, kAt},
              {7, 1, kAt, kAt + 6048},
              {7, 50, kAt, kAt + 302400},
              {7, 99, kAt, kAt + 598752},
              {7, UINT32_MAX, kAt, kAt + 604800},
              {365, 99, 0, 31220640},
              {365, 0, 253402300799, 253402300799},
              {UINT32_MAX, 99, 0, int64_t{UINT32_MAX} * 85536}};
  for (const auto &row : rows) {
    const TReleaseRecord record{"2", 1, kSha, row.PublishedAt, row.Days, false};
    EXPECT_FALSE(ReachesGroup(record, row.Group, row.FirstReached - 1)) << row.Group;
    EXPECT_TRUE(ReachesGroup(record, row.Group, row.FirstReached)) << row.Group;
    EXPECT_TRUE(ReachesGroup(record, row.Group, kMax) && !ReachesGroup(record, row.Group, kMin));
  }
  EXPECT_TRUE(ReachesGroup({"2", 1, kSha, kMin, 1, false}, 99, kMax));
  EXPECT_TRUE(ReachesGroup({"2", 1, kSha, kAt, 0, false}, 99, 0)); // no rollout: everyone at once
  for (const uint32_t days : {0u, 7u})
    EXPECT_FALSE(ReachesGroup({"2", 1, kSha, kAt, days, true}, 0, kMax)); // halted: nobody
}

// Installations spread evenly over the groups, and a new release deals them out afresh.
TEST(Rollout, SpreadsDrawsOverTheGroupsAnewForEachRelease) {
  uint32_t perGroup[kRolloutGroups] = {}, sameGroup = 0;
  for (uint64_t draw = 0; draw < 10000; ++draw) {
    const uint32_t group = RolloutGroupOf(draw, "12");
    ASSERT_LT(group, kRolloutGroups);
    ++perGroup[group];
    sameGroup += group == RolloutGroupOf(draw, "13") ? 1 : 0;
  }
  // 100 per group and 100 alike by chance; the bounds lie five deviations out.
  for (const uint32_t count : perGroup)
    EXPECT_TRUE(count >= 50 && count <= 150) << count;
  EXPECT_LT(sameGroup, 150u);
}

} // namespace
