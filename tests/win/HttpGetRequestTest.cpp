#include "tests/win/HttpGetFixture.h"
#include "tests/win/LoopbackServer.h"

namespace {

using TTexts = std::vector<std::string>;

// What reaches the server. Each test listens on a loopback address of its own.
class HttpGetRequest : public HttpGetFixture {};

TEST_F(HttpGetRequest, GetCarriesTheObjectNameUnchangedWithAcceptAgentAndReferer) {
  TLoopbackServer server("127.0.2.2", {{RawReply("200 OK", {"Content-Length: 1"}, "7")}});
  Http.URL = "http://127.0.2.2/dir/version.txt?x=1&back=http://z/";
  Http.AcceptTypes = "text/plain";
  Http.Agent = "Foo Updater...";
  Http.Referer = "http://127.0.2.2/from.html";
  Http.GetString();
  ASSERT_TRUE(WaitForCompletion());

  const TTexts requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(RequestLine(requests[0]), "GET /dir/version.txt?x=1&back=http://z/ HTTP/1.0");
  EXPECT_EQ(HeaderValues(requests[0], "Accept"), TTexts{"text/plain"});
  EXPECT_EQ(HeaderValues(requests[0], "User-Agent"), TTexts{"Foo Updater..."});
  EXPECT_EQ(HeaderValues(requests[0], "Referer"), TTexts{"http://127.0.2.2/from.html"});
  EXPECT_EQ(HeaderValues(requests[0], "Content-Type"), TTexts{});
  EXPECT_EQ(RequestBody(requests[0]), "");
  ASSERT_EQ(Log.DoneStrings.size(), 1u);
  EXPECT_EQ(Log.DoneStrings[0].Result, "7");
}

TEST_F(HttpGetRequest, DefaultsOfferAnyTypeAsKorvantaHttpGetWithoutReferer) {
  TLoopbackServer server("127.0.2.3", {{RawReply("200 OK", {"Content-Length: 1"}, "7")}});
  ASSERT_TRUE(FetchString("http://127.0.2.3/v.txt"));

  const TTexts requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(RequestLine(requests[0]), "GET /v.txt HTTP/1.0");
  EXPECT_EQ(HeaderValues(requests[0], "Accept"), TTexts{"*/*"});
  EXPECT_EQ(HeaderValues(requests[0], "User-Agent"), TTexts{"Korvanta HTTPGet"});
  EXPECT_EQ(HeaderValues(requests[0], "Referer"), TTexts{});
}

TEST_F(HttpGetRequest, EmptyAgentSendsNoUserAgent) {
  TLoopbackServer server("127.0.2.4", {{RawReply("200 OK", {"Content-Length: 1"}, "7")}});
  Http.URL = "http://127.0.2.4/v.txt";
  Http.Agent = "";
  Http.GetString();
  ASSERT_TRUE(WaitForCompletion());

  const TTexts requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(HeaderValues(requests[0], "User-Agent"), TTexts{});
  EXPECT_EQ(Log.DoneStrings.size(), 1u);
}

TEST_F(HttpGetRequest, PostQueryIsPostedAsFormDataUnchanged) {
  TLoopbackServer server("127.0.2.5", {{RawReply("200 OK", {"Content-Length: 2"}, "ok")}});
  const std::string query = "name=a%20b&list=1,2&plus=+&raw=\xE9";
  Http.URL = "http://127.0.2.5/form?id=3";
  Http.PostQuery = query;
  Http.GetString();
  ASSERT_TRUE(WaitForCompletion());

  const TTexts requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(RequestLine(requests[0]), "POST /form?id=3 HTTP/1.0");
  EXPECT_EQ(HeaderValues(requests[0], "Content-Type"), TTexts{"application/x-www-form-urlencoded"});
  EXPECT_EQ(HeaderValues(requests[0], "Content-Length"), TTexts{std::to_string(query.size())});
  EXPECT_EQ(RequestBody(requests[0]), query);
  ASSERT_EQ(Log.DoneStrings.size(), 1u);
  EXPECT_EQ(Log.DoneStrings[0].Result, "ok");
}

// WinINet sends the credentials once the server asks for them.
TEST_F(HttpGetRequest, UserNameAndPasswordAnswerABasicChallenge) {
  TLoopbackServer server(
      "127.0.2.6",
      {{RawReply("401 Unauthorized",
                 {"WWW-Authenticate: Basic realm=\"updates\"", "Content-Length: 6"}, "denied")},
       {RawReply("200 OK", {"Content-Length: 2"}, "ok")}});
  Http.URL = "http://127.0.2.6/private/v.txt";
  Http.UserName = "alice";
  Http.Password = "s3cret";
  Http.GetString();
  ASSERT_TRUE(WaitForCompletion());

  const TTexts requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(HeaderValues(requests.back(), "Authorization"), TTexts{"Basic YWxpY2U6czNjcmV0"});
  ASSERT_EQ(Log.DoneStrings.size(), 1u);
  EXPECT_EQ(Log.DoneStrings[0].Result, "ok");
}

} // namespace
