#include "httpget/HttpGetThread.h"
#include "tests/unit/TransferFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

class TransferRequest : public TransferTest {
protected:
  TLines FirstCalls(size_t count) const {
    const TLines calls = net.Calls();
    return TLines(calls.begin(), calls.begin() + std::min(count, calls.size()));
  }
};

TEST_F(TransferRequest, GetOffersTheComponentsSettingsAndBypassesTheCache) {
  http.URL = "http://Example.com/dir/v.txt?q=1&r=http://x/";
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());

  EXPECT_EQ(
      FirstCalls(5),
      TLines({R"(Open("Korvanta HTTPGet", 0, null, null, 0))",
              R"(Connect(session, "Example.com", 80, "", "", 3, 0, 0))",
              R"(OpenRequest(connection, "GET", "/dir/v.txt?q=1&r=http://x/", "HTTP/1.0", "", )"
              R"(["*/*"], 0x80000000, 0))",
              R"(SendRequest(request, null, 0, null, 0))", R"(QueryInfo(request, 5, 1024, 0))"}));
  ExpectHandlesClosed();
}

TEST_F(TransferRequest, PostSendsTheFormHeaderAndTheQueryUnchanged) {
  http.URL = "HTTP://h:8080/post";
  http.PostQuery = "a=1&b=%20x";
  http.Agent = "";
  http.AcceptTypes = "text/plain";
  http.UserName = "user";
  http.Password = "secret";
  http.Referer = "http://referrer/";
  http.UseCache = true;
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());

  EXPECT_EQ(
      FirstCalls(4),
      TLines({R"(Open(null, 0, null, null, 0))",
              R"(Connect(session, "h:8080", 80, "user", "secret", 3, 0, 0))",
              R"(OpenRequest(connection, "POST", "/post", "HTTP/1.0", "http://referrer/", )"
              R"(["text/plain"], 0x0, 0))",
              R"(SendRequest(request, "Content-Type: application/x-www-form-urlencoded", 47, )"
              R"("a=1&b=%20x", 10))"}));
}

class TransferOutcome : public TransferTest {
protected:
  TransferOutcome() { WriteFile(TargetPath(), "old content"); }

  void GetFile() {
    http.FileName = TargetPath();
    http.GetFile();
    ASSERT_TRUE(PumpUntilCompleted());
    EXPECT_FALSE(IsOpen(TargetPath()));
    ExpectHandlesClosed();
  }
  void GetString() {
    http.GetString();
    ASSERT_TRUE(PumpUntilCompleted());
    ExpectHandlesClosed();
  }
};

TEST_F(TransferOutcome, FileReceivedInFullSucceeds) {
  net.ContentLength = "6";
  net.Chunks = {"abc", "def"};
  GetFile();
  EXPECT_EQ(events, TLines({"progress 6 3", "progress 6 6", DoneFile(6)}));
  EXPECT_EQ(ContentOf(TargetPath()), "abcdef");
}

TEST_F(TransferOutcome, LengthTextFollowsTheIntegerSyntax) {
  net.ContentLength = " $A";
  net.Chunks = {"0123456789"};
  GetFile();
  EXPECT_EQ(events, TLines({"progress 10 10", DoneFile(10)}));
}

TEST_F(TransferOutcome, FileOfLengthZeroIsCreatedEmpty) {
  net.ContentLength = "0";
  GetFile();
  EXPECT_EQ(events, TLines({DoneFile(0)}));
  EXPECT_EQ(ContentOf(TargetPath()), "");
}

TEST_F(TransferOutcome, FileCutShortFailsAndKeepsWhatArrived) {
  net.ContentLength = "10";
  net.Chunks = {"abcd"};
  GetFile();
  EXPECT_EQ(events, TLines({"progress 10 4", "error"}));
  EXPECT_EQ(ContentOf(TargetPath()), "abcd");
}

TEST_F(TransferOutcome, FileWithoutLengthSucceedsOnlyWhenTheBodyEndsWithoutAFailedRead) {
  net.Chunks = {"abcd"};
  GetFile();
  EXPECT_EQ(events, TLines({"progress 0 4", DoneFile(0)}));
  EXPECT_EQ(ContentOf(TargetPath()), "abcd");

  events.clear();
  net.Chunks = {"efgh"};
  net.ReadFailsAtEnd = true;
  GetFile();
  EXPECT_EQ(events, TLines({"progress 0 4", "error"}));
  EXPECT_EQ(ContentOf(TargetPath()), "efgh");
}

TEST_F(TransferOutcome, FileWithoutLengthFailsUnreadWhenBinaryDataIsSet) {
  http.BinaryData = true;
  net.Chunks = {"abcd"};
  GetFile();
  EXPECT_EQ(events, TLines({"error"}));
  EXPECT_EQ(net.Count("ReadFile"), 0);
  EXPECT_EQ(ContentOf(TargetPath()), "old content");
}

TEST_F(TransferOutcome, ErrorStatusFailsUnreadInBothModes) {
  net.ContentLength = "9";
  for (const char *status : {"404", "500", "301", "100"}) {
    net.StatusCode = status;
    net.Chunks = {"Not found"};
    events.clear();
    GetFile();
    EXPECT_EQ(events, TLines({"error"})) << status;
    events.clear();
    GetString();
    EXPECT_EQ(events, TLines({"error"})) << status;
  }
  EXPECT_EQ(net.Count("ReadFile"), 0);
  EXPECT_EQ(ContentOf(TargetPath()), "old content");

  net.StatusCode = "206";
  events.clear();
  GetString();
  EXPECT_EQ(events, TLines({"progress 9 9", "doneString Not found"}));
}

TEST_F(TransferOutcome, UnusableLengthFailsUnread) {
  for (const char *length : {"-1", "$FFFFFFFF", "12abc", "", "2147483648", "1e3"}) {
    net.ContentLength = length;
    net.Chunks = {"abc"};
    events.clear();
    GetFile();
    EXPECT_EQ(events, TLines({"error"})) << '"' << length << '"';
  }
  EXPECT_EQ(net.Count("ReadFile"), 0);
  EXPECT_EQ(ContentOf(TargetPath()), "old content");
}

TEST_F(TransferOutcome, TargetThatCannotBeCreatedFails) {
  net.ContentLength = "3";
  net.Chunks = {"abc"};
  http.FileName = TargetPath() + ".missing/target.bin";
  http.GetFile();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"error"}));
  ExpectHandlesClosed();
}

TEST_F(TransferOutcome, TextKeepsEveryByteNulIncluded) {
  const std::string body("a\0b\0\0c", 6);
  net.ContentLength = "6";
  net.Chunks = {body.substr(0, 2), body.substr(2)};
  GetString();
  EXPECT_EQ(events, TLines({"progress 6 2", "progress 6 6", "doneString " + body}));
}

TEST_F(TransferOutcome, TextOfLengthZeroFails) {
  net.ContentLength = "0";
  GetString();
  EXPECT_EQ(events, TLines({"error"}));
}

TEST_F(TransferOutcome, TextCutShortFails) {
  net.ContentLength = "10";
  net.Chunks = {"abcd"};
  GetString();
  EXPECT_EQ(events, TLines({"progress 10 4", "error"}));
}

TEST_F(TransferOutcome, TextWithoutLengthSucceedsUnlessAReadFails) {
  net.Chunks = {"12"};
  GetString();
  EXPECT_EQ(events, TLines({"progress 0 2", "doneString 12"}));

  events.clear();
  net.Chunks = {"12"};
  net.ReadFailsAtEnd = true;
  GetString();
  EXPECT_EQ(events, TLines({"progress 0 2", "error"}));
}

TEST_F(TransferOutcome, TextWithoutLengthFailsUnreadWhenBinaryDataIsSet) {
  http.BinaryData = true;
  net.Chunks = {"12"};
  GetString();
  EXPECT_EQ(events, TLines({"error"}));
  EXPECT_EQ(net.Count("ReadFile"), 0);
}

// An endless or oversized text is read one byte past its limit and no further, whatever its
// length says: the receiver sees that it is too long, and nothing more is held.
TEST_F(TransferOutcome, TextPastItsLimitArrivesCutOneBytePastIt) {
  const std::string endless(5000, 'x');
  const struct {
    uint32_t Limit;
    std::optional<std::string> Length;
    std::string Body, Result;
    int Reads;
  } rows[] = {{2, "3", "5\r\n", "5\r\n", 1},
              {2, std::nullopt, endless, "xxx", 1},
              {2, "400000000", endless, "xxx", 1},
              {2, "2", "12", "12", 2},
              {4096, "1048576", endless, endless.substr(0, 4097), 4}};
  for (const auto &row : rows) {
    http.MaxTextLength = row.Limit;
    net.ContentLength = row.Length;
    net.Chunks = {row.Body};
    events.clear();
    const int readsBefore = net.Count("ReadFile");
    GetString();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), "doneString " + row.Result) << row.Body.size();
    EXPECT_EQ(net.Count("ReadFile") - readsBefore, row.Reads) << row.Body.size();
  }
}

// https connects to port 443 with the secure flag, hears of every redirect and, once the
// request is sent, asks for the final URL: a transfer that any hop took off https fails unread.
// http asks nothing more.
class TransferScheme : public TransferOutcome {
protected:
  // The last transfer's calls after Open, up to its length query or its first close, but for
  // the status callback, which the redirect rows show at work.
  TLines RequestCalls() const {
    const TLines calls = net.Calls();
    auto begin = std::find_if(calls.rbegin(), calls.rend(), [](const std::string &call) {
                   return call.rfind("Open(", 0) == 0;
                 }).base();
    auto end = std::find_if(begin, calls.end(), [](const std::string &call) {
      return call.rfind("QueryInfo", 0) == 0 || call.rfind("CloseHandle", 0) == 0;
    });
    TLines request;
    std::copy_if(begin, end, std::back_inserter(request),
                 [](const std::string &call) { return call != "SetStatusCallback(session)"; });
    return request;
  }
};

TEST_F(TransferScheme, HttpsIsSecureAndMustEndOnHttps) {
  const std::string longUrl = "https://h/" + std::string(3000, 'x');
  const std::string connect443 = R"(Connect(session, "h", 443, "", "", 3, 0, 0))";
  const std::string connect80 = R"(Connect(session, "h", 80, "", "", 3, 0, 0))";
  const std::string send = "SendRequest(request, null, 0, null, 0)";
  const std::string query = "QueryOption(request, 34, 2085)";
  auto open = [](const std::string &object, const std::string &flags) {
    // A secure request is opened with the worker as its context, to hear of redirects.
    const bool secure = std::stoul(flags, nullptr, 16) & TInternetApi::kFlagSecure;
    return R"(OpenRequest(connection, "GET", ")" + object + R"(", "HTTP/1.0", "", ["*/*"], )" +
           flags + ", " + (secure ? "sink" : "0") + ")";
  };
  struct TCase {
    const char *url;
    std::optional<std::string> finalUrl; // unset: the query fails
    bool useCache;
    bool toFile;
    TLines calls;
    bool succeeds;
    TLines redirects = {}; // the hops that sending the request goes through
  };
  const TCase cases[] = {
      {"https://h/v.txt",
       "https://h/v.txt",
       false,
       false,
       {connect443, open("/v.txt", "0x80800000"), send, query},
       true},
      {"HTTPS://h/new.exe",
       "hTTpS://h/new.exe",
       true,
       true,
       {connect443, open("/new.exe", "0x800000"), send, query},
       true},
      {"hTtPs://h/v.txt",
       "https://other/v2.txt",
       false,
       false,
       {connect443, open("/v.txt", "0x80800000"), send, query},
       true},
      {"https://h/v.txt",
       "http://h/v.txt",
       false,
       false,
       {connect443, open("/v.txt", "0x80800000"), send, query},
       false},
      {"https://h/new.exe",
       "HTTP://h/new.exe",
       false,
       true,
       {connect443, open("/new.exe", "0x80800000"), send, query},
       false},
      {"https://h/v.txt",
       std::nullopt,
       false,
       false,
       {connect443, open("/v.txt", "0x80800000"), send, query},
       false},
      {"https://h/v.txt",
       "",
       false,
       true,
       {connect443, open("/v.txt", "0x80800000"), send, query},
       false},
      {"https://h/v.txt",
       longUrl,
       false,
       false,
       {connect443, open("/v.txt", "0x80800000"), send, query, "QueryOption(request, 34, 3011)"},
       true},
      {"https://h/v.txt",
       "https://h/v.txt",
       false,
       false,
       {connect443, open("/v.txt", "0x80800000"), send, query},
       true,
       {"https://mirror/v.txt", "HTTPS://h/v.txt"}},
      {"https://h/v.txt",
       "https://h/v.txt",
       false,
       true,
       {connect443, open("/v.txt", "0x80800000"), send},
       false,
       {"http://h/v.txt", "https://h/v.txt"}},
      {"http://h/v.txt",
       "http://h/v.txt",
       false,
       false,
       {connect80, open("/v.txt", "0x80000000"), send},
       true},
      {"HTTP://h/new.exe",
       std::nullopt,
       true,
       true,
       {connect80, open("/new.exe", "0x0"), send},
       true},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(std::string(c.url) + " ending at " + c.finalUrl.value_or("(no answer)"));
    WriteFile(TargetPath(), "old content");
    net.FinalUrl = c.finalUrl;
    net.Redirects = c.redirects;
    net.ContentLength = "3";
    net.Chunks = {"abc"};
    http.URL = c.url;
    http.UseCache = c.useCache;
    events.clear();
    const int readsBefore = net.Count("ReadFile");
    c.toFile ? GetFile() : GetString();

    EXPECT_EQ(RequestCalls(), c.calls);
    if (c.succeeds) {
      EXPECT_EQ(events, TLines({"progress 3 3", c.toFile ? DoneFile(3) : "doneString abc"}));
    } else {
      EXPECT_EQ(events, TLines({"error"}));
      EXPECT_EQ(net.Count("ReadFile"), readsBefore);
    }
    EXPECT_EQ(ContentOf(TargetPath()), c.succeeds && c.toFile ? "abc" : "old content");
  }
}

// The component's Abort comes while the worker is held inside the call that precedes one of its
// stop checks, so the stop meets exactly that check.
class TransferStop : public TransferOutcome {
protected:
  TransferStop() {
    net.ContentLength = "9";
    net.Chunks = {"abc", "def", "ghi"};
  }

  void AbortWhenPausedAt(const std::string &callPrefix, int occurrence = 1) {
    net.PauseAt(callPrefix, occurrence);
    http.FileName = TargetPath();
    http.GetFile();
    ASSERT_TRUE(ui.PumpUntil([this] { return net.Paused(); }));
    http.Abort();
    net.Resume();
    ASSERT_TRUE(PumpUntilCompleted());
    EXPECT_FALSE(IsOpen(TargetPath()));
    ExpectHandlesClosed();
  }
};

class TWorkerOwner : public TObject {
public:
  void WorkerDone(TObject *sender) {
    Done = true;
    Succeeded = static_cast<THTTPGetThread *>(sender)->Succeeded;
  }
  bool Done = false;
  bool Succeeded = true;
};

// Only the worker's owner can ask for a stop before the worker has started.
TEST_F(TransferStop, BeforeTheSessionIsOpenedNothingIsCalled) {
  TWorkerOwner owner;
  auto *worker = new THTTPGetThread(net, "*/*", "agent", "http://h/x", TargetPath(), "", "", "", "",
                                    false, false, 0, 0, 0, 0, TOnProgressEvent(), true);
  worker->OnTerminate = MethodOf<&TWorkerOwner::WorkerDone>(&owner);
  worker->Terminate();
  worker->Start();
  ASSERT_TRUE(ui.PumpUntil([&] { return owner.Done; }));
  EXPECT_FALSE(owner.Succeeded);
  EXPECT_EQ(net.Calls(), TLines());
  EXPECT_EQ(ContentOf(TargetPath()), "old content");
}

TEST_F(TransferStop, AfterSendingTheLengthIsNotQueried) {
  AbortWhenPausedAt("SendRequest");
  EXPECT_EQ(events, TLines({"error"}));
  EXPECT_EQ(net.Count("QueryInfo"), 0);
  EXPECT_EQ(ContentOf(TargetPath()), "old content");
}

TEST_F(TransferStop, AfterTheLengthQueryTheFileIsNotTouched) {
  AbortWhenPausedAt("QueryInfo(request, 5,");
  EXPECT_EQ(events, TLines({"error"}));
  EXPECT_EQ(net.Count("QueryInfo"), 1);
  EXPECT_EQ(net.Count("ReadFile"), 0);
  EXPECT_EQ(ContentOf(TargetPath()), "old content");
}

TEST_F(TransferStop, BeforeTheFirstChunkLeavesAnEmptyFile) {
  AbortWhenPausedAt("QueryInfo(request, 19,");
  EXPECT_EQ(events, TLines({"error"}));
  EXPECT_EQ(net.Count("ReadFile"), 0);
  EXPECT_EQ(ContentOf(TargetPath()), "");
}

TEST_F(TransferStop, InTheReadLoopKeepsTheChunksWritten) {
  form->AfterEvent = [this](const std::string &entry) {
    if (entry == "progress 9 6")
      http.Abort();
  };
  http.FileName = TargetPath();
  http.GetFile();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 9 3", "progress 9 6", "error"}));
  EXPECT_EQ(net.Count("ReadFile"), 2);
  EXPECT_EQ(ContentOf(TargetPath()), "abcdef");
  EXPECT_FALSE(IsOpen(TargetPath()));
  ExpectHandlesClosed();
}

TEST_F(TransferStop, AfterTheWholeBodyArrivedStillFails) {
  AbortWhenPausedAt("ReadFile", 4);
  EXPECT_EQ(events, TLines({"progress 9 3", "progress 9 6", "progress 9 9", "error"}));
  EXPECT_EQ(ContentOf(TargetPath()), "abcdefghi");
}

TEST_F(TransferStop, WhileTheCompletionWaitsStillFails) {
  http.OnProgress = TOnProgressEvent();
  http.GetString();
  ASSERT_TRUE(ui.WaitUntilCallPending());
  http.Abort();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"error"}));
  ExpectHandlesClosed();
}

class TransferProgress : public TransferTest {};

TEST_F(TransferProgress, OneCallPerStoredChunkReadInPartsOf1025Bytes) {
  net.ContentLength = "2526";
  net.Chunks = {std::string(1500, 'a'), std::string(1025, 'b'), "c"};
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());

  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(TLines(events.begin(), events.end() - 1),
            TLines({"progress 2526 1025", "progress 2526 1500", "progress 2526 2525",
                    "progress 2526 2526"}));
  EXPECT_EQ(events.back(), "doneString " + std::string(1500, 'a') + std::string(1025, 'b') + "c");
  EXPECT_EQ(net.Count("ReadFile"), 5);
  EXPECT_EQ(net.Count("ReadFile(request, 1025)"), 5);
}

TEST_F(TransferProgress, NoneWhenOnProgressIsAssignedOnlyAfterTheStart) {
  net.ContentLength = "3";
  net.Chunks = {"a", "b", "c"};
  http.OnProgress = TOnProgressEvent();
  http.GetString();
  http.OnProgress = MethodOf<&TTestForm::Progress>(form.get());
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"doneString abc"}));
  EXPECT_EQ(ui.CallsServed(), 1) << "no synchronous call but the completion";
}

TEST_F(TransferProgress, AThrowingHandlerEndsTheTransferAsAFailure) {
  net.ContentLength = "6";
  net.Chunks = {"abc", "def"};
  form->AfterEvent = [](const std::string &entry) {
    if (entry.rfind("progress", 0) == 0)
      throw std::runtime_error("progress handler failed");
  };
  http.FileName = TargetPath();
  http.GetFile();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 6 3", "error"}));
  EXPECT_EQ(net.Count("ReadFile"), 1);
  EXPECT_EQ(ContentOf(TargetPath()), "abc");
  EXPECT_FALSE(IsOpen(TargetPath()));
  EXPECT_TRUE(ui.Exceptions().empty()) << "the worker ends the transfer; nothing is reported";
  ExpectHandlesClosed();
}

} // namespace
