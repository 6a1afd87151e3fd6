#include "tests/unit/TransferFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using TReply = TScriptedInternet::TReply;
constexpr uint32_t kETag = TInternetApi::kQueryETag, kModified = TInternetApi::kQueryLastModified,
                   kDate = TInternetApi::kQueryDate, kRanges = TInternetApi::kQueryAcceptRanges;
const std::string kSunday = "Sun, 06 Nov 1994 08:49:37 GMT", v1 = "\"v1\"";

// A whole reply that announces 10 bytes and ends after 4.
TReply Whole(std::map<uint32_t, std::string> headers) {
  return {"200", "10", std::move(headers), {"abcd"}};
}
TReply Part(const std::string &range, std::string body, std::string status = "206") {
  return {status, std::nullopt, {{TInternetApi::kQueryContentRange, range}}, {std::move(body)}};
}

// Each row: the replies in order, the resumes asked for (their headers are checked on the wire by
// the Windows tests), the progress, the file: every byte read, failed under 10 bytes but limit + 1.
TEST_F(TransferTest, ResumeJoinsOnlyTheRestOfTheSameFileAndNothingPastItsSizeLimit) {
  const std::map<uint32_t, std::string> tagged = {{kETag, v1}, {kRanges, "bytes"}};
  http.ResumeDelay = 1;
  http.FileName = TargetPath();
  const struct {
    const char *Case;
    std::vector<TReply> Replies;
    int Resumes;
    std::string Progress = "10 4", File = "abcd";
    uint32_t Limit = 0;
    std::optional<int64_t> ServerTime = {};
  } rows[] = {
      // clang-format off
      {"reset, then cut",
       {TReply{"200", "10", {{kETag, v1}}, {"abcd"}, true}, Part("Bytes 4-9/10", "ef"),
        Part("bytes 6-9/10", "ghij")},
       2, "10 4, 10 6, 10 10", "abcdefghij"},
      {"no reply to a resume", {Whole(tagged), Part("", "", ""), Part("bytes 4-9/10", "efghij")}, 2,
       "10 4, 10 10", "abcdefghij"},
      {"more cuts than three", {Whole(tagged), Part("bytes 4-9/10", "e"), Part("bytes 5-9/10", "f"),
       Part("bytes 6-9/10", "g")}, 3, "10 4, 10 5, 10 6, 10 7", "abcdefg"},
      {"announced past the limit", {Whole({{kETag, v1}, {kDate, kSunday},
       {TInternetApi::kQueryAge, "120"}})}, 0, "10 4", "abcd", 3, 784111897},
      {"endless past the limit", {TReply{"200", std::nullopt, {{kDate, kSunday}},
       {std::string(5000, 'x')}}}, 0, "0 1025, 0 1101", std::string(1101, 'x'), 1100, 784111777},
      {"exactly the limit", {TReply{"200", "10", {{kDate, "06 Nov 1994"}}, {"abcdefghij"}}}, 0,
       "10 10", "abcdefghij", 10},
      {"past the limit after a resume", {Whole(tagged), TReply{"206", std::nullopt,
       {{kDate, kSunday}, {TInternetApi::kQueryAge, "-1"}, {TInternetApi::kQueryContentRange,
       "bytes 4-9/10"}}, {"efghij"}}}, 1, "10 4, 10 7", "abcdefg", 6, 784111777},
      {"no validator", {Whole({{kRanges, "bytes"}})}, 0},
      {"date of the second sent", {Whole({{kModified, kSunday}, {kDate, kSunday}})}, 0},
      {"ranges refused", {Whole({{kETag, v1}, {kRanges, "none"}})}, 0},
      {"ranges refused in a list", {Whole({{kETag, v1}, {kRanges, "none, bytesx,"}})}, 0},
      {"bytes in a list", {Whole({{kETag, v1}, {kRanges, "none ,\t BYTES "}}),
       Part("bytes 4-9/10", "efghij")}, 1, "10 4, 10 10", "abcdefghij"},
      {"tag with a line end", {Whole({{kETag, v1 + "\r\nX: \"y\""}})}, 0},
      {"wrong offset", {Whole(tagged), Part("bytes 3-9/10", "defghij")}, 1},
      {"another total", {Whole(tagged), Part("bytes 4-10/11", "efghijk")}, 1},
      {"total past 32 bits", {Whole(tagged), Part("bytes 4-9/4294967306", "efghij")}, 1},
      {"not satisfiable", {Whole(tagged), Part("bytes */10", "", "416")}, 1},
      // clang-format on
  };
  std::optional<int64_t> serverTime;
  form->AfterEvent = [&](const std::string &) { serverTime = http.ServerTime; };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.Case);
    net.Replies.assign(row.Replies.begin(), row.Replies.end());
    http.MaxFileSize = row.Limit;
    const int resumesBefore = net.Count("SendRequest(request, \"Range: bytes=");
    const size_t servedBefore = net.BytesServed;
    events.clear();
    http.GetFile();
    ASSERT_TRUE(PumpUntilCompleted());

    std::string progress;
    for (const std::string &event : events)
      if (event.rfind("progress ", 0) == 0)
        progress += (progress.empty() ? "" : ", ") + event.substr(9);
    EXPECT_EQ(progress, row.Progress);
    EXPECT_EQ(net.Count("SendRequest(request, \"Range: bytes=") - resumesBefore, row.Resumes);
    EXPECT_EQ(ContentOf(TargetPath()), row.File);
    EXPECT_EQ(net.BytesServed - servedBefore, row.File.size());
    const bool failed = row.File.size() < 10 && row.File.size() != row.Limit + 1;
    EXPECT_EQ(events.back(), failed ? "error" : DoneFile(std::stoi(row.Progress))); // as announced
    EXPECT_EQ(serverTime, row.ServerTime);
    EXPECT_EQ(net.Count("OpenRequest"), net.Count("CloseHandle(request)"));
    EXPECT_FALSE(IsOpen(TargetPath()));
  }
}

// The pause before a resume is long here; an abort ends it at once, and no resume follows.
TEST_F(TransferTest, AbortEndsThePauseBeforeAResume) {
  http.ResumeDelay = 10 * 60 * 1000;
  http.FileName = TargetPath();
  net.Replies = {Whole({{kETag, v1}})};
  http.GetFile();
  ASSERT_TRUE(ui.PumpUntil([this] { return net.Count("QueryInfo(request, 42") == 1; }));
  http.Abort();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, std::vector<std::string>({"progress 10 4", "error"}));
  EXPECT_EQ(net.Count("OpenRequest"), 1);
}

} // namespace
