#include "tests/win/HttpGetFixture.h"
#include "tests/win/LoopbackServer.h"

namespace {

const std::string kOldContent = "the file as it was before the transfer";

// How a reply, or the lack of one, decides the outcome and what reaches the target file.
// Each test listens on a loopback address of its own.
class HttpGetReply : public HttpGetFixture {};

TEST_F(HttpGetReply, ContentLengthZeroCreatesAnEmptyFileAndSucceeds) {
  TLoopbackServer server("127.0.2.10", {{RawReply("200 OK", {"Content-Length: 0"}, "")}});
  ASSERT_TRUE(FetchFile("http://127.0.2.10/empty.bin", true));

  ASSERT_EQ(Log.DoneFiles.size(), 1u);
  EXPECT_EQ(Log.DoneFiles[0].Sender, &Http);
  EXPECT_EQ(Log.DoneFiles[0].FileName, TargetFile);
  EXPECT_EQ(Log.DoneFiles[0].FileSize, 0);
  EXPECT_TRUE(Log.Progress.empty());
  EXPECT_TRUE(FileExists(TargetFile));
  EXPECT_EQ(ReadWholeFile(TargetFile), "");
}

TEST_F(HttpGetReply, ContentLengthZeroFailsInTextMode) {
  TLoopbackServer server("127.0.2.11", {{RawReply("200 OK", {"Content-Length: 0"}, "")}});
  ASSERT_TRUE(FetchString("http://127.0.2.11/empty.txt"));

  EXPECT_EQ(Log.Errors, std::vector<TObject *>{&Http});
  EXPECT_TRUE(Log.DoneStrings.empty());
}

TEST_F(HttpGetReply, ShortBodyFailsAndLeavesThePartialFile) {
  const std::string body = VariedBytes(1000);
  TLoopbackServer server("127.0.2.12",
                         {{RawReply("200 OK", {"Content-Length: 1000"}, body.substr(0, 400))}});
  ASSERT_TRUE(FetchFile("http://127.0.2.12/cut.bin", true));

  EXPECT_EQ(Log.Errors.size(), 1u);
  EXPECT_TRUE(Log.DoneFiles.empty());
  EXPECT_EQ(ReadWholeFile(TargetFile), body.substr(0, 400));
}

TEST_F(HttpGetReply, ShortBodyFailsInTextMode) {
  TLoopbackServer server("127.0.2.13", {{RawReply("200 OK", {"Content-Length: 2"}, "1")}});
  ASSERT_TRUE(FetchString("http://127.0.2.13/cut.txt"));

  EXPECT_EQ(Log.Errors.size(), 1u);
  EXPECT_TRUE(Log.DoneStrings.empty());
}

TEST_F(HttpGetReply, NoContentLengthWithBinaryDataFailsAndLeavesTheFileUntouched) {
  TLoopbackServer server("127.0.2.14", {{RawReply("200 OK", {}, "a whole body")}});
  WriteWholeFile(TargetFile, kOldContent);
  ASSERT_TRUE(FetchFile("http://127.0.2.14/new.exe", true));

  EXPECT_EQ(Log.Errors.size(), 1u);
  EXPECT_TRUE(Log.DoneFiles.empty());
  EXPECT_EQ(ReadWholeFile(TargetFile), kOldContent);
}

// Without an announced length, a body that ended without a failed read is taken as complete.
TEST_F(HttpGetReply, NoContentLengthWithoutBinaryDataStoresTheWholeBody) {
  const std::string body = VariedBytes(3000);
  TLoopbackServer server("127.0.2.15", {{RawReply("200 OK", {}, body)}});
  ASSERT_TRUE(FetchFile("http://127.0.2.15/data.bin", false));

  ASSERT_EQ(Log.DoneFiles.size(), 1u);
  EXPECT_EQ(Log.DoneFiles[0].FileSize, 0);
  EXPECT_EQ(ReadWholeFile(TargetFile), body);
  ASSERT_FALSE(Log.Progress.empty());
  EXPECT_EQ(Log.Progress.back().TotalSize, 0);
  EXPECT_EQ(Log.Progress.back().Readed, 3000);
}

TEST_F(HttpGetReply, NoContentLengthTextIsTheWholeBody) {
  TLoopbackServer server("127.0.2.16", {{RawReply("200 OK", {}, "12")}});
  ASSERT_TRUE(FetchString("http://127.0.2.16/version.txt"));

  ASSERT_EQ(Log.DoneStrings.size(), 1u);
  EXPECT_EQ(Log.DoneStrings[0].Result, "12");
}

TEST_F(HttpGetReply, ErrorPageFailsInBothModesAndLeavesTheFileUntouched) {
  const std::string page = "<html>Not Found</html>";
  TLoopbackServer server(
      "127.0.2.17",
      {{RawReply("404 Not Found", {"Content-Length: " + std::to_string(page.size())}, page)}});
  WriteWholeFile(TargetFile, kOldContent);
  ASSERT_TRUE(FetchFile("http://127.0.2.17/missing.exe", true));
  Http.GetString();
  ASSERT_TRUE(PumpUntil([this] { return Log.Completions() == 2; }));

  EXPECT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(Log.Errors.size(), 2u);
  EXPECT_TRUE(Log.DoneFiles.empty());
  EXPECT_TRUE(Log.DoneStrings.empty());
  EXPECT_TRUE(Log.Progress.empty());
  EXPECT_EQ(ReadWholeFile(TargetFile), kOldContent);
}

// Nothing listens on this address.
TEST_F(HttpGetReply, UnreachableHostFailsInBothModes) {
  WriteWholeFile(TargetFile, kOldContent);
  ASSERT_TRUE(FetchFile("http://127.0.2.18/v.txt", true));
  Http.GetString();
  ASSERT_TRUE(PumpUntil([this] { return Log.Completions() == 2; }));

  EXPECT_EQ(Log.Errors.size(), 2u);
  EXPECT_EQ(ReadWholeFile(TargetFile), kOldContent);
}

// Only "http://" is taken off: another scheme stays in the host name ("https:"), which names
// no host, so the server at the address is never reached.
TEST_F(HttpGetReply, HttpsUrlFailsWithoutReachingTheServer) {
  TLoopbackServer server("127.0.2.19", {{RawReply("200 OK", {"Content-Length: 1"}, "7")}});
  ASSERT_TRUE(FetchString("https://127.0.2.19/v.txt"));

  EXPECT_EQ(Log.Errors.size(), 1u);
  EXPECT_TRUE(server.Requests().empty());
}

// The connection always goes to port 80, of a host whose name is "127.0.2.20:8080".
TEST_F(HttpGetReply, PortInTheHostNameFailsWithoutReachingEitherPort) {
  const TScriptedReply version = {RawReply("200 OK", {"Content-Length: 1"}, "7")};
  TLoopbackServer port80("127.0.2.20", {version});
  TLoopbackServer port8080("127.0.2.20", {version}, 8080);
  ASSERT_TRUE(FetchString("http://127.0.2.20:8080/v.txt"));

  EXPECT_EQ(Log.Errors.size(), 1u);
  EXPECT_TRUE(port80.Requests().empty());
  EXPECT_TRUE(port8080.Requests().empty());
}

// Without a "/" after the host the host name is empty.
TEST_F(HttpGetReply, UrlWithoutPathFailsWithoutReachingTheServer) {
  TLoopbackServer server("127.0.2.21", {{RawReply("200 OK", {"Content-Length: 1"}, "7")}});
  ASSERT_TRUE(FetchString("http://127.0.2.21"));

  EXPECT_EQ(Log.Errors.size(), 1u);
  EXPECT_TRUE(server.Requests().empty());
}

} // namespace
