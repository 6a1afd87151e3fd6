#include "tests/win/HttpGetFixture.h"
#include "tests/win/LoopbackServer.h"

namespace {

const std::string kBody = VariedBytes(20000);
const std::string kChanged = VariedBytes(30000).substr(10000);
const std::string kTag = "\"a1\"";
const std::string kModified = "Last-Modified: Tue, 15 Nov 1994 12:45:26 GMT";
const std::string kSent = "Date: Tue, 15 Nov 1994 12:45:27 GMT";

// The whole file announced, its connection closed after `sent` bytes.
TScriptedReply Whole(const std::vector<std::string> &validators, size_t sent,
                     const std::string &body = kBody) {
  std::vector<std::string> headers = validators;
  headers.push_back("Content-Length: " + std::to_string(body.size()));
  return {RawReply("200 OK", headers, body.substr(0, sent))};
}
// Bytes from..to of a file of total bytes, its connection closed after `sent` of them.
TScriptedReply Part(size_t from, size_t to, size_t total, size_t sent) {
  const std::string range = std::to_string(from) + "-" + std::to_string(to);
  return {RawReply("206 Partial Content",
                   {"Content-Range: bytes " + range + "/" + std::to_string(total),
                    "Content-Length: " + std::to_string(to + 1 - from)},
                   kBody.substr(from, sent))};
}

struct TResumeRow {
  const char *Name;
  const char *Address;
  std::vector<TScriptedReply> Replies;
  std::vector<std::string> Asked; // each resume's Range and If-Range
  std::string File;
  bool Succeeds;
};

void PrintTo(const TResumeRow &row, std::ostream *out) { *out << row.Name; }

class HttpGetResume : public HttpGetFixture, public ::testing::WithParamInterface<TResumeRow> {};

// Each row's server closes connections where the row says; the real WinINet asks again.
TEST_P(HttpGetResume, JoinsOnlyTheRestOfTheSameFile) {
  const TResumeRow &row = GetParam();
  TLoopbackServer server(row.Address, row.Replies);
  Http.ResumeDelay = 50;
  ASSERT_TRUE(FetchFile("http://" + std::string(row.Address) + "/new.exe", true));

  EXPECT_EQ(Log.Errors.size(), row.Succeeds ? 0u : 1u);
  EXPECT_EQ(Log.DoneFiles.size(), row.Succeeds ? 1u : 0u);
  EXPECT_TRUE(ReadWholeFile(TargetFile) == row.File) << "the file differs";
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1 + row.Asked.size());
  EXPECT_TRUE(HeaderValues(requests[0], "Range").empty());
  for (size_t i = 1; i < requests.size(); ++i)
    EXPECT_EQ(HeaderValues(requests[i], "Range").at(0) + " " +
                  HeaderValues(requests[i], "If-Range").at(0),
              row.Asked[i - 1]);
  int wentBack = 0;
  for (size_t i = 1; i < Log.Progress.size(); ++i)
    wentBack += Log.Progress[i].Readed < Log.Progress[i - 1].Readed;
  EXPECT_EQ(wentBack, row.File == kChanged ? 1 : 0) << "progress goes back only to start anew";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HttpGetResume,
    ::testing::Values(
        TResumeRow{"CutOnce",
                   "127.0.2.40",
                   {Whole({"ETag: " + kTag}, 7000), Part(7000, 19999, 20000, 13000)},
                   {"bytes=7000- " + kTag},
                   kBody,
                   true},
        TResumeRow{"CutTwiceNamedByDate",
                   "127.0.2.41",
                   {Whole({kModified, kSent, "ETag: W/\"a1\""}, 7000),
                    Part(7000, 19999, 20000, 6000), Part(13000, 19999, 20000, 7000)},
                   {"bytes=7000- " + kModified.substr(15), "bytes=13000- " + kModified.substr(15)},
                   kBody,
                   true},
        TResumeRow{"FileChanged",
                   "127.0.2.42",
                   {Whole({"ETag: " + kTag}, 7000), Whole({"ETag: \"b2\""}, 20000, kChanged)},
                   {"bytes=7000- " + kTag},
                   kChanged,
                   true},
        TResumeRow{"WrongOffset",
                   "127.0.2.43",
                   {Whole({"ETag: " + kTag}, 7000), Part(6999, 19999, 20000, 13001)},
                   {"bytes=7000- " + kTag},
                   kBody.substr(0, 7000),
                   false},
        TResumeRow{"AnotherTotal",
                   "127.0.2.44",
                   {Whole({"ETag: " + kTag}, 7000), Part(7000, 20000, 20001, 13000)},
                   {"bytes=7000- " + kTag},
                   kBody.substr(0, 7000),
                   false},
        TResumeRow{
            "NoValidator", "127.0.2.45", {Whole({}, 7000)}, {}, kBody.substr(0, 7000), false},
        TResumeRow{"MoreCutsThanThree",
                   "127.0.2.46",
                   {Whole({"ETag: " + kTag}, 7000), Part(7000, 19999, 20000, 1000),
                    Part(8000, 19999, 20000, 1000), Part(9000, 19999, 20000, 1000)},
                   {"bytes=7000- " + kTag, "bytes=8000- " + kTag, "bytes=9000- " + kTag},
                   kBody.substr(0, 10000),
                   false}),
    [](const ::testing::TestParamInfo<TResumeRow> &info) { return info.param.Name; });

class HttpGetResumePause : public HttpGetFixture {};

// Cancel between two tries ends the download at once, as cancelled: no further request.
TEST_F(HttpGetResumePause, AbortEndsItAtOnce) {
  TLoopbackServer server("127.0.2.47", {Whole({"ETag: " + kTag}, 7000)});
  Http.ResumeDelay = 10 * 60 * 1000;
  Http.URL = "http://127.0.2.47/new.exe";
  Http.FileName = TargetFile;
  Http.BinaryData = true;
  Http.GetFile();
  ASSERT_TRUE(
      PumpUntil([this] { return !Log.Progress.empty() && Log.Progress.back().Readed == 7000; }));
  Http.Abort();
  ASSERT_TRUE(WaitForCompletion());
  EXPECT_EQ(Log.Errors, std::vector<TObject *>{&Http});
  EXPECT_EQ(server.Requests().size(), 1u);
}

} // namespace
