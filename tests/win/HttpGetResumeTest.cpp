#include "tests/win/HttpGetFixture.h"
#include "tests/win/LoopbackServer.h"

namespace {

const std::string kBody = VariedBytes(20000);
const std::string kModified = "Tue, 15 Nov 1994 12:45:26 GMT";

// The whole body announced, its connection closed after `sent` bytes.
TScriptedReply Whole(std::vector<std::string> head, size_t sent, const std::string &body = kBody) {
  head.push_back("Content-Length: 20000");
  return {RawReply("200 OK", head, body.substr(0, sent))};
}
// The bytes from `from` on, its connection closed after `sent` of them.
TScriptedReply Rest(size_t from, size_t sent, const std::string &body = kBody) {
  return {RawReply("206 Partial Content",
                   {"Content-Range: bytes " + std::to_string(from) + "-19999/20000",
                    "Date: Tue, 15 Nov 1994 12:45:30 GMT", "Age: 60"},
                   body.substr(from, sent))};
}

// The real WinINet against a server that closes each connection where the test says.
class HttpGetResume : public HttpGetFixture {
protected:
  /// Fetches through a server giving replies; checks the Range and If-Range sent, and the file.
  void Expect(const std::string &address, const std::vector<TScriptedReply> &replies,
              const std::vector<std::string> &asked, const std::string &file) {
    TLoopbackServer server(address, replies);
    Http.ResumeDelay = 50;
    ASSERT_TRUE(FetchFile("http://" + address + "/new.exe", true));
    EXPECT_EQ(Log.DoneFiles.size(), 1u);
    EXPECT_TRUE(ReadWholeFile(TargetFile) == file) << "the file differs";
    std::vector<std::string> sent;
    for (const std::string &request : server.Requests())
      for (const char *name : {"Range", "If-Range"})
        for (const std::string &value : HeaderValues(request, name))
          sent.push_back(value);
    EXPECT_EQ(sent, asked);
    EXPECT_EQ(server.Requests().size(), 1 + asked.size() / 2);
    EXPECT_EQ(Http.ServerTime, 784903530 + 60); // the last part's Date plus its Age
  }
};

// A weak tag cannot name the file; its date can.
TEST_F(HttpGetResume, CutTwiceJoinsTheRestOfAFileNamedByItsDate) {
  Expect("127.0.2.40",
         {Whole({"ETag: W/\"a1\"", "Last-Modified: " + kModified,
                 "Date: Tue, 15 Nov 1994 12:45:27 GMT"},
                7000),
          Rest(7000, 6000), Rest(13000, 7000)},
         {"bytes=7000-", kModified, "bytes=13000-", kModified}, kBody);
}

// The new file is named by its own tag from then on.
TEST_F(HttpGetResume, AFileChangedMeanwhileStartsAgainFromItsFirstByte) {
  const std::string changed = VariedBytes(30000).substr(10000);
  Expect("127.0.2.41",
         {Whole({"ETag: \"a1\""}, 7000), Whole({"ETag: \"b2\""}, 5000, changed),
          Rest(5000, 15000, changed)},
         {"bytes=7000-", "\"a1\"", "bytes=5000-", "\"b2\""}, changed);
}

} // namespace
