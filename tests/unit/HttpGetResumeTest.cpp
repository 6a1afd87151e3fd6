#include "tests/unit/TransferFixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;
using TReply = TScriptedInternet::TReply;
using THeaders = std::map<uint32_t, std::string>;
constexpr uint32_t kETag = TInternetApi::kQueryETag;
constexpr uint32_t kLastModified = TInternetApi::kQueryLastModified;
constexpr uint32_t kDate = TInternetApi::kQueryDate;
constexpr uint32_t kRanges = TInternetApi::kQueryAcceptRanges;
constexpr uint32_t kRange = TInternetApi::kQueryContentRange;
const char *const kModified = "Sun, 06 Nov 1994 08:49:37 GMT";
const char *const kSecondLater = "Sun, 06 Nov 1994 08:49:38 GMT";

// The first reply announces "abcdefghij" and sends "abcd" before its connection ends.
TReply CutWhole(THeaders headers, std::string length = "10", std::string body = "abcd") {
  return {"200", length, std::move(headers), {std::move(body)}};
}
// A reply of this status and nothing else; "": none came.
TReply Status(const char *code) {
  TReply reply;
  reply.StatusCode = code;
  return reply;
}
TReply Reset(TReply reply) {
  reply.ReadFailsAtEnd = true;
  return reply;
}
TReply Part(const std::string &range, std::string body, const char *length = nullptr) {
  TReply reply{"206", std::nullopt, {{kRange, range}}, {std::move(body)}};
  if (length)
    reply.ContentLength = length;
  return reply;
}
// The request of a resume from offset on the file that validator names.
std::string Asked(int offset, const std::string &validator) {
  const std::string headers =
      "Range: bytes=" + std::to_string(offset) + "-\r\nIf-Range: " + validator + "\r\n";
  return "SendRequest(request, \"" + headers + "\", " + std::to_string(headers.size()) +
         ", null, 0)";
}

class TransferResume : public TransferTest {
protected:
  TransferResume() {
    http.ResumeDelay = 1;
    http.FileName = TargetPath();
  }
  TLines Resumes() const {
    TLines sent;
    for (const std::string &call : net.Calls())
      if (call.rfind("SendRequest(request, \"", 0) == 0)
        sent.push_back(call);
    return sent;
  }
};

// Each row: the replies in order, the resumes asked for, the progress reported, and the file.
TEST_F(TransferResume, JoinsOnlyTheRestOfTheSameFile) {
  const std::string v1 = "\"v1\"";
  const THeaders tagged = {{kETag, v1}, {kRanges, "bytes"}};
  const struct {
    const char *Case;
    std::vector<TReply> Replies;
    TLines Resumes;
    const char *Progress;
    const char *File;
    bool Succeeds;
  } rows[] = {
      // clang-format off
      {"cut once", {CutWhole(tagged), Part("bytes 4-9/10", "efghij", "6")},
       {Asked(4, v1)}, "10 4, 10 10", "abcdefghij", true},
      {"reset, then cut",
       {Reset(CutWhole({{kETag, v1}})), Part("Bytes 4-9/10", "ef"), Part("bytes 6-9/10", "ghij")},
       {Asked(4, v1), Asked(6, v1)}, "10 4, 10 6, 10 10", "abcdefghij", true},
      {"no reply to a resume", {CutWhole(tagged), Status(""), Part("bytes 4-9/10", "efghij")},
       {Asked(4, v1), Asked(4, v1)}, "10 4, 10 10", "abcdefghij", true},
      {"weak tag, date a second old",
       {CutWhole({{kETag, "W/\"v1\""}, {kLastModified, kModified}, {kDate, kSecondLater}}),
        Part("bytes 4-9/10", "efghij")},
       {Asked(4, kModified)}, "10 4, 10 10", "abcdefghij", true},
      {"file changed",
       {CutWhole(tagged), CutWhole({{kETag, "\"v2\""}}, "12", "ABCDEF"),
        Part("bytes 6-11/12", "GHIJKL")},
       {Asked(4, v1), Asked(6, "\"v2\"")}, "10 4, 12 6, 12 12", "ABCDEFGHIJKL", true},
      {"more cuts than three",
       {CutWhole(tagged), Part("bytes 4-9/10", "e"), Part("bytes 5-9/10", "f"),
        Part("bytes 6-9/10", "g")},
       {Asked(4, v1), Asked(5, v1), Asked(6, v1)}, "10 4, 10 5, 10 6, 10 7", "abcdefg", false},
      {"no validator", {CutWhole({{kRanges, "bytes"}})}, {}, "10 4", "abcd", false},
      {"date of the second it was sent",
       {CutWhole({{kLastModified, kModified}, {kDate, kModified}})}, {}, "10 4", "abcd", false},
      {"ranges refused", {CutWhole({{kETag, v1}, {kRanges, "none"}})}, {}, "10 4", "abcd", false},
      {"tag with a line end", {CutWhole({{kETag, "\"v1\"\r\nX: \"y\""}})},
       {}, "10 4", "abcd", false},
      {"wrong offset", {CutWhole(tagged), Part("bytes 3-9/10", "defghij")},
       {Asked(4, v1)}, "10 4", "abcd", false},
      {"another total", {CutWhole(tagged), Part("bytes 4-10/11", "efghijk")},
       {Asked(4, v1)}, "10 4", "abcd", false},
      {"total past 32 bits", {CutWhole(tagged), Part("bytes 4-9/4294967306", "efghij")},
       {Asked(4, v1)}, "10 4", "abcd", false},
      {"unknown total", {CutWhole(tagged), Part("bytes 4-9/*", "efghij")},
       {Asked(4, v1)}, "10 4", "abcd", false},
      {"length of another range", {CutWhole(tagged), Part("bytes 4-9/10", "efghij", "7")},
       {Asked(4, v1)}, "10 4", "abcd", false},
      {"not satisfiable", {CutWhole(tagged), Status("416")}, {Asked(4, v1)}, "10 4", "abcd", false},
      // clang-format on
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.Case);
    net.Replies.assign(row.Replies.begin(), row.Replies.end());
    net.ReadFailsAtEnd = false;
    const int requestsBefore = net.Count("OpenRequest");
    const size_t resumesBefore = Resumes().size();
    events.clear();
    http.GetFile();
    ASSERT_TRUE(PumpUntilCompleted());

    std::string progress;
    for (const std::string &event : events)
      if (event.rfind("progress ", 0) == 0)
        progress += (progress.empty() ? "" : ", ") + event.substr(9);
    EXPECT_EQ(progress, row.Progress);
    EXPECT_EQ(events.back(),
              row.Succeeds ? DoneFile(static_cast<int32_t>(strlen(row.File))) : "error");
    const TLines resumes = Resumes();
    EXPECT_EQ(TLines(resumes.begin() + resumesBefore, resumes.end()), row.Resumes);
    EXPECT_EQ(net.Count("OpenRequest") - requestsBefore, 1 + static_cast<int>(row.Resumes.size()));
    EXPECT_EQ(net.Count("CloseHandle(request)"), net.Count("OpenRequest"));
    EXPECT_EQ(ContentOf(TargetPath()), row.File);
    EXPECT_FALSE(IsOpen(TargetPath()));
  }
}

// The pause before a resume is long here; an abort ends it at once, and no resume follows.
TEST_F(TransferResume, AbortEndsThePauseBeforeAResume) {
  http.ResumeDelay = 10 * 60 * 1000;
  net.Replies = {CutWhole({{kETag, "\"v1\""}})};
  http.GetFile();
  ASSERT_TRUE(ui.PumpUntil([this] { return net.Count("QueryInfo(request, 42") == 1; }));
  http.Abort();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 10 4", "error"}));
  EXPECT_EQ(net.Count("OpenRequest"), 1);
  EXPECT_EQ(ContentOf(TargetPath()), "abcd");
}

} // namespace
