// The release record beside the version file, and the stages by which a release reaches users.

#include "update/offer/ReleaseRecord.h"
#include "update/offer/Rollout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace {

const std::string kSha = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
const std::string kShaUpper = "9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08";
constexpr int64_t kAt = 1709209805; // 2024-02-29T12:30:05Z
const TReleaseRecord kLeast{"12", 1048576, kSha, kAt, 0, false};

const std::pair<std::string, std::string> kLeastLines[] = {{"version", "12"},
                                                           {"size", "1048576"},
                                                           {"sha256", kShaUpper},
                                                           {"published", "2024-02-29T12:30:05Z"}};

// The least record with key's line holding value instead (added where it has none), or without
// that line for nothing.
std::string RecordWith(const std::string &key, const std::optional<std::string> &value) {
  std::string body;
  bool placed = false;
  for (const auto &[k, v] : kLeastLines) {
    placed = placed || k == key;
    if (k != key || value)
      body += k + "=" + (k == key ? *value : v) + "\n";
  }
  return placed || !value ? body : body + key + "=" + *value + "\n";
}

TEST(ReleaseRecord, TakesTheFieldsAsWrittenAndTheirBounds) {
  const std::string least = RecordWith("", std::nullopt), sha = "sha256=" + kSha + "\r\n";
  const struct {
    std::string Body;
    TReleaseRecord Read;
  } rows[] = {
      {least, kLeast},
      {least + "rollout-days=7\nhalted=1\n", {"12", 1048576, kSha, kAt, 7, true}},
      {"\xEF\xBB\xBFversion=-5\r\nsize=1\r\n" + sha + "published=1970-01-01T00:00:00Z",
       {"-5", 1, kSha, 0, 0, false}},
      {"# notes\n\n \t\r\nnext=1\nnext=2\n=\n" + least + "#x", kLeast},
      {" version \t= 12\t\nsize= 1048576 \n" + sha + "published =2024-02-29T12:30:05Z", kLeast},
      {least + "x=" + std::string(kMaxReleaseRecordSize - least.size() - 3, 'y') + "\n", kLeast},
      {RecordWith("version", "0"), {"0", 1048576, kSha, kAt, 0, false}},
      {RecordWith("version", "-999999999999"), {"-999999999999", 1048576, kSha, kAt, 0, false}},
      {RecordWith("size", "2147483647"), {"12", kMaxReleaseSize, kSha, kAt, 0, false}},
      {RecordWith("published", "2000-02-29T23:59:59Z"), {"12", 1048576, kSha, 951868799, 0, false}},
      {RecordWith("published", "9999-12-31T23:59:59Z"),
       {"12", 1048576, kSha, 253402300799, 0, false}},
      {RecordWith("rollout-days", "365"), {"12", 1048576, kSha, kAt, kMaxRolloutDays, false}},
      {RecordWith("halted", "0"), kLeast},
  };
  for (const auto &row : rows)
    EXPECT_EQ(ReleaseRecordOf(row.Body), row.Read) << row.Body;
}

// Anything but a whole, well-formed record is no record at all: never half of one.
TEST(ReleaseRecord, RefusesAnythingElse) {
  const std::pair<const char *, std::optional<std::string>> rows[] = {
      {"version", std::nullopt},
      {"version", "007"},
      {"version", "-0"},
      {"version", "+7"},
      {"version", "1234567890123"},
      {"version", ""},
      {"version", "1.0"},
      {"version", "0x1"},
      {"version", std::string("1\0", 2)},
      {"size", std::nullopt},
      {"size", "0"},
      {"size", "2147483648"},
      {"size", "012"},
      {"size", "-1"},
      {"size", "99999999999999999999"},
      {"size", "1 0"},
      {"sha256", std::nullopt},
      {"sha256", kSha.substr(1)},
      {"sha256", kSha + "0"},
      {"sha256", kSha.substr(1) + "g"},
      {"published", std::nullopt},
      {"published", "2023-02-29T00:00:00Z"},
      {"published", "2100-02-29T00:00:00Z"},
      {"published", "2024-13-01T00:00:00Z"},
      {"published", "2024-04-31T00:00:00Z"},
      {"published", "2024-00-10T00:00:00Z"},
      {"published", "2024-01-00T00:00:00Z"},
      {"published", "2024-01-01T24:00:00Z"},
      {"published", "2024-01-01T00:60:00Z"},
      {"published", "2016-12-31T23:59:60Z"},
      {"published", "2024-01-01T00:00:00"},
      {"published", "2024-01-01 00:00:00Z"},
      {"published", "1969-12-31T23:59:59Z"},
      {"published", "+024-01-01T00:00:00Z"},
      {"published", "2024-1-01T00:00:00Z"},
      {"rollout-days", "366"},
      {"rollout-days", "07"},
      {"rollout-days", "-1"},
      {"rollout-days", ""},
      {"halted", "2"},
      {"halted", "true"},
      {"halted", ""}};
  for (const auto &[key, value] : rows)
    EXPECT_EQ(ReleaseRecordOf(RecordWith(key, value)), std::nullopt)
        << key << "=" << value.value_or("(none)");
  const std::string least = RecordWith("", std::nullopt);
  for (const std::string &body :
       {least + "size=1048576\n", least + "halted=0\nhalted=0\n", "words\n" + least,
        least + "note=\xC3\n", "version=12\rsize=1048576\n" + least.substr(24), std::string(),
        least + "x=" + std::string(kMaxReleaseRecordSize - least.size() - 2, 'y') + "\n",
        "\xFF\xFE" + least})
    EXPECT_EQ(ReleaseRecordOf(body), std::nullopt) << body.substr(0, 80);
}

// Over a 7-day rollout group g is reached g hundredths of 7 days (6048 s each) after publication.
TEST(Rollout, ReachesEachGroupAtItsShareOfTheRollout) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  const struct {
    bool Halted;
    uint32_t Days, Group;
    int64_t PublishedAt, Now;
    bool Reached;
  } rows[] = {
      {false, 7, 0, kAt, kAt, true},
      {false, 7, 0, kAt, kAt - 1, false},
      {false, 7, 1, kAt, kAt + 6047, false},
      {false, 7, 1, kAt, kAt + 6048, true},
      {false, 7, 50, kAt, kAt + 302399, false},
      {false, 7, 50, kAt, kAt + 302400, true},
      {false, 7, 99, kAt, kAt + 598751, false},
      {false, 7, 99, kAt, kAt + 598752, true},
      {false, 365, 99, 0, 31220639, false},
      {false, 365, 99, 0, 31220640, true},
      {true, 7, 0, kAt, kMax, false},
      {true, 0, 0, kAt, kAt, false},
      {false, 0, 99, kAt, kAt, true},
      {false, 0, 99, kAt, 0, true},
      {false, 365, 99, 253402300799, kMax, true},
      {false, 365, 0, 253402300799, kMin, false},
      {false, 365, 0, kMin, kMax, true},
      {false, UINT32_MAX, 99, 0, kMax, true},
      {false, UINT32_MAX, 99, 0, int64_t{UINT32_MAX} * 85536 - 1, false},
      {false, 7, UINT32_MAX, kAt, kAt + 604799, false},
      {false, 7, UINT32_MAX, kAt, kMax, true},
  };
  for (const auto &row : rows) {
    const TReleaseRecord record{"2", 1, kSha, row.PublishedAt, row.Days, row.Halted};
    EXPECT_EQ(ReachesGroup(record, row.Group, row.Now), row.Reached)
        << row.Days << " days, group " << row.Group << ", " << row.Now - row.PublishedAt << " s";
  }
}

// Installations spread evenly over the groups, and a new release deals them out afresh.
TEST(Rollout, SpreadsDrawsOverTheGroupsAnewForEachRelease) {
  constexpr uint64_t kDraws = 10000;
  uint32_t perGroup[kRolloutGroups] = {}, sameGroup = 0;
  for (uint64_t draw = 0; draw < kDraws; ++draw) {
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
