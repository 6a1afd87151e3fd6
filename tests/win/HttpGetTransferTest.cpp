#include "tests/win/HttpGetFixture.h"
#include "tests/win/LoopbackServer.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>

namespace {

double Milliseconds(const FILETIME &time) {
  return static_cast<double>(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart) /
         10000;
}

// The processor time the calling thread has used so far, in milliseconds.
double ThreadProcessorTime() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  return Milliseconds(kernel) + Milliseconds(user);
}

std::function<void()> timerAction; // what the timer of a held transfer does, once

void CALLBACK RunTimerAction(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  timerAction();
}

// How a body travels: in chunks with progress, into a text with every byte, and how an abort
// ends it. Each test listens on a loopback address of its own.
class HttpGetTransfer : public HttpGetFixture {};

TEST_F(HttpGetTransfer, ProgressFollowsEveryChunkUpToTheWholeFile) {
  const std::string body = VariedBytes(100000);
  // Pieces of an odd size make the chunks that arrive differ from the chunks read.
  TLoopbackServer server("127.0.2.30", {{RawReply("200 OK", {"Content-Length: 100000"}, body),
                                         std::string::npos, 777}});
  Http.URL = "http://127.0.2.30/new.exe";
  Http.FileName = TargetFile;
  Http.BinaryData = true;
  Http.WaitThread = true;
  Http.GetFile();

  // GetFile has waited for the completion event.
  ASSERT_EQ(Log.DoneFiles.size(), 1u);
  EXPECT_EQ(Log.DoneFiles[0].FileSize, 100000);
  EXPECT_TRUE(Log.Errors.empty());
  ASSERT_FALSE(Log.Progress.empty());
  int32_t before = 0;
  for (const TEventLog::TProgress &progress : Log.Progress) {
    EXPECT_NE(progress.Sender, &Http); // the worker reports, not the component
    EXPECT_EQ(progress.Sender, Log.Progress[0].Sender);
    EXPECT_EQ(progress.TotalSize, 100000);
    EXPECT_GT(progress.Readed, before);
    EXPECT_LE(progress.Readed - before, 1025);
    before = progress.Readed;
  }
  EXPECT_EQ(before, 100000);
  EXPECT_TRUE(ReadWholeFile(TargetFile) == body) << "the file differs from the body";
}

TEST_F(HttpGetTransfer, TextKeepsEveryByteNulIncluded) {
  const std::string body = VariedBytes(5000);
  ASSERT_NE(body.find('\0'), std::string::npos);
  TLoopbackServer server(
      "127.0.2.31", {{RawReply("200 OK", {"Content-Length: 5000"}, body), std::string::npos, 700}});
  Http.URL = "http://127.0.2.31/blob";
  Http.GetString();
  ASSERT_TRUE(WaitForCompletion());

  ASSERT_EQ(Log.DoneStrings.size(), 1u);
  EXPECT_EQ(Log.DoneStrings[0].Sender, &Http);
  EXPECT_EQ(Log.DoneStrings[0].Result.size(), 5000u);
  EXPECT_TRUE(Log.DoneStrings[0].Result == body) << "the text differs from the body";
}

// The worker may be blocked in a read when the abort comes; the rest of the body then arrives,
// and the transfer must still end as a failure.
TEST_F(HttpGetTransfer, AbortMidTransferEndsInOneErrorOnly) {
  const std::string body = VariedBytes(8000);
  const std::string reply = RawReply("200 OK", {"Content-Length: 8000"}, body);
  TLoopbackServer server("127.0.2.32", {{reply, reply.size() - 5000}});
  Http.URL = "http://127.0.2.32/new.exe";
  Http.FileName = TargetFile;
  Http.BinaryData = true;
  Http.GetFile();
  ASSERT_TRUE(server.WaitUntilStalled());
  ASSERT_TRUE(PumpUntil([this] { return !Log.Progress.empty(); }));

  Http.Abort();
  server.Release();
  ASSERT_TRUE(WaitForCompletion());

  EXPECT_EQ(Log.Errors, std::vector<TObject *>{&Http});
  EXPECT_TRUE(Log.DoneFiles.empty());
  // What was stored before the worker stopped stays in the file.
  EXPECT_TRUE(ReadWholeFile(TargetFile) == body.substr(0, Log.Progress.back().Readed));
}

// A host that waits in GetFile while the server holds the body back: a timer of the waiting
// thread ends the hold after a few seconds, which only a wait that serves messages lets run.
class HttpGetHeldWait : public HttpGetFixture {
protected:
  static constexpr UINT kHeldMs = 3000;

  // Runs GetFile with WaitThread until endHold ends the transfer; expects the wait to have used
  // a small fraction of its time on the processor, where a busy loop takes all of it.
  void WaitThroughHold(const char *address, std::function<void()> endHold) {
    const std::string reply = RawReply("200 OK", {"Content-Length: 8000"}, VariedBytes(8000));
    Server.emplace(address, std::vector<TScriptedReply>{{reply, reply.size() - 5000}});
    Http.URL = std::string("http://") + address + "/new.exe";
    Http.FileName = TargetFile;
    Http.WaitThread = true;
    timerAction = std::move(endHold);
    ASSERT_NE(SetTimer(nullptr, 0, kHeldMs, RunTimerAction), 0u);
    const double processorBefore = ThreadProcessorTime();
    const auto started = std::chrono::steady_clock::now();
    Http.GetFile();
    const double waited =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    const double used = ThreadProcessorTime() - processorBefore;
    EXPECT_GE(waited, kHeldMs * 0.9);
    EXPECT_LT(used, waited / 10) << "the wait used " << used << " ms of " << waited << " ms";
  }

  std::optional<TLoopbackServer> Server;
};

TEST_F(HttpGetHeldWait, ReturnsWhenTheTransferEnds) {
  WaitThroughHold("127.0.2.34", [this] { Server->Release(); });
  EXPECT_EQ(Log.DoneFiles.size(), 1u);
  EXPECT_TRUE(Log.Errors.empty());
}

TEST_F(HttpGetHeldWait, ReturnsWhenTheTransferIsAborted) {
  // Wine's WinINet leaves a read blocked until data comes (see the test above).
  WaitThroughHold("127.0.2.35", [this] {
    Http.Abort();
    Server->Release();
  });
  EXPECT_EQ(Log.Errors, std::vector<TObject *>{&Http});
  EXPECT_TRUE(Log.DoneFiles.empty());
}

} // namespace

// The wait of GetFile takes every message; a request to quit that it takes must still reach
// the main loop, or the program would not end.
TEST(HttpGetWait, KeepsARequestToQuitForTheMainLoop) {
  TLoopbackServer server("127.0.2.33", {{RawReply("200 OK", {"Content-Length: 2"}, "ok")}});
  TEventLog log;
  THTTPGet http(nullptr);
  http.OnDoneFile = MethodOf<&TEventLog::DoneFile>(&log);
  http.URL = "http://127.0.2.33/new.exe";
  http.FileName = ::testing::TempDir() + "quit-during-wait.bin";
  http.WaitThread = true;
  PostQuitMessage(7);
  http.GetFile();

  EXPECT_EQ(log.DoneFiles.size(), 1u);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(message.wParam, 7u);
  DeleteFileA(http.FileName.c_str());
}
