#include "tests/win/HttpGetFixture.h"
#include "tests/win/LoopbackServer.h"

#include <windows.h>

#include <cstdint>
#include <functional>

namespace {

// The processor time the calling thread has used so far, in units of 100 ns.
uint64_t ThreadProcessorTime() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  return ULARGE_INTEGER{{kernel.dwLowDateTime, kernel.dwHighDateTime}}.QuadPart +
         ULARGE_INTEGER{{user.dwLowDateTime, user.dwHighDateTime}}.QuadPart;
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

// GetFile with WaitThread while the server holds the body back for three seconds; then a timer
// of the waiting thread, which only a wait that serves messages lets run, lets the body go or
// aborts the transfer. A wait that spins takes the processor all that time.
TEST_F(HttpGetTransfer, WaitForTheWorkerSleepsUntilTheTransferEnds) {
  const std::string reply = RawReply("200 OK", {"Content-Length: 8000"}, VariedBytes(8000));
  Http.FileName = TargetFile;
  Http.WaitThread = true;
  for (const bool abort : {false, true}) {
    const std::string address = abort ? "127.0.2.35" : "127.0.2.34";
    TLoopbackServer server(address, {{reply, reply.size() - 5000}});
    Http.URL = "http://" + address + "/new.exe";
    // Wine's WinINet leaves a read blocked until data comes (see above): the body follows too.
    timerAction = [&] {
      if (abort)
        Http.Abort();
      server.Release();
    };
    ASSERT_NE(SetTimer(nullptr, 0, 3000, RunTimerAction), 0u);
    const uint64_t processorBefore = ThreadProcessorTime();
    const ULONGLONG started = GetTickCount64();
    Http.GetFile();
    const double waitedMs = static_cast<double>(GetTickCount64() - started);
    const double usedMs = static_cast<double>(ThreadProcessorTime() - processorBefore) / 10000;
    EXPECT_GE(waitedMs, 2900);
    EXPECT_LT(usedMs, waitedMs / 10) << "the wait used " << usedMs << " ms of " << waitedMs;
    EXPECT_EQ(Log.Completions(), abort ? 2u : 1u) << "returned before the transfer ended";
  }
  EXPECT_EQ(Log.DoneFiles.size(), 1u);
  EXPECT_EQ(Log.Errors, std::vector<TObject *>{&Http});
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
