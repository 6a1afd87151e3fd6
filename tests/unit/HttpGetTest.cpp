#include "httpget/HttpGet.h"
#include "tests/unit/TransferFixture.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TLines = std::vector<std::string>;

class HttpGet : public TransferTest {
protected:
  HttpGet() {
    net.ContentLength = "3";
    net.Chunks = {"abc"};
    http.FileName = TargetPath();
  }
};

TEST_F(HttpGet, StartWhileBusyChangesNothing) {
  net.PauseAt("ReadFile");
  http.GetFile();
  ASSERT_TRUE(ui.PumpUntil([this] { return net.Paused(); }));
  http.URL = "http://other/x";
  http.GetFile();
  http.GetString();
  net.Resume();
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(events, TLines({"progress 3 3", DoneFile(3)}));
  EXPECT_EQ(net.Count("Open("), 1);
}

TEST_F(HttpGet, ACompletionHandlerCannotStartItsOwnComponentAgain) {
  form->AfterEvent = [this](const std::string &entry) {
    if (entry.rfind("doneString", 0) == 0)
      http.GetFile();
  };
  http.GetString();
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(events, TLines({"progress 3 3", "doneString abc"}));
  EXPECT_EQ(net.Count("Open("), 1);
}

TEST_F(HttpGet, AThrowingCompletionHandlerIsReportedAndLeavesTheComponentIdle) {
  form->AfterEvent = [](const std::string &entry) {
    if (entry.rfind("doneString", 0) == 0)
      throw std::runtime_error("completion handler failed");
  };
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());
  ASSERT_EQ(ui.Exceptions().size(), 1u);
  try {
    std::rethrow_exception(ui.Exceptions().front());
  } catch (const std::runtime_error &error) {
    EXPECT_STREQ(error.what(), "completion handler failed");
  }

  form->AfterEvent = nullptr;
  events.clear();
  net.Chunks = {"xyz"};
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 3 3", "doneString xyz"}));
}

// The component goes while its worker waits for the first progress call; the worker still
// stops, closes everything and deletes itself, and no call reaches the form or the component.
// AddressSanitizer reports any call that would.
TEST_F(HttpGet, ADestroyedComponentAndItsOwnerHearNothingMore) {
  net.ContentLength = "6";
  net.Chunks = {"abc", "def"};
  http.GetFile();
  ASSERT_TRUE(ui.WaitUntilCallPending());
  form.reset();
  ASSERT_TRUE(PumpUntilWorkersEnded());
  EXPECT_EQ(events, TLines());
  EXPECT_EQ(net.Count("ReadFile"), 1);
  EXPECT_EQ(ContentOf(TargetPath()), "abc");
  EXPECT_FALSE(IsOpen(TargetPath()));
  ExpectHandlesClosed();
}

TEST_F(HttpGet, WaitingGetFileReturnsAfterTheCompletionHandler) {
  http.WaitThread = true;
  http.GetFile();
  EXPECT_EQ(events, TLines({"progress 3 3", DoneFile(3)}));
}

TEST_F(HttpGet, WaitingGetStringReturnsBeforeTheCompletion) {
  net.PauseAt("Open");
  http.WaitThread = true;
  http.GetString();
  EXPECT_EQ(events, TLines());
  net.Resume();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 3 3", "doneString abc"}));
}

TEST_F(HttpGet, CompletionEventsAreReadWhenTheTransferEnds) {
  http.OnDoneFile = TOnDoneFileEvent();
  http.GetFile();
  http.OnDoneFile = MethodOf<&TTestForm::DoneFile>(form.get());
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 3 3", DoneFile(3)}));
}

TEST_F(HttpGet, AbortWhileIdleDoesNothing) {
  http.Abort();
  EXPECT_EQ(net.Calls(), TLines());
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 3 3", "doneString abc"}));
}

// A default thread stack larger than the address space leaves no thread to be had.
class NoThreadsToBeHad {
public:
  NoThreadsToBeHad() {
    pthread_getattr_default_np(&fSaved);
    pthread_attr_t huge;
    pthread_attr_init(&huge);
    pthread_attr_setstacksize(&huge, size_t{1} << (sizeof(size_t) * 8 - 2));
    pthread_setattr_default_np(&huge);
    pthread_attr_destroy(&huge);
  }
  ~NoThreadsToBeHad() {
    pthread_setattr_default_np(&fSaved);
    pthread_attr_destroy(&fSaved);
  }

private:
  pthread_attr_t fSaved;
};

TEST_F(HttpGet, WithoutAThreadATransferEndsInOnErrorAndLeavesTheComponentIdle) {
  {
    const NoThreadsToBeHad noThreads;
    http.WaitThread = true;
    EXPECT_NO_THROW(http.GetFile());
    http.WaitThread = false;
    EXPECT_NO_THROW(http.GetString());
  }
  EXPECT_EQ(events, TLines({"error", "error"}));
  EXPECT_EQ(net.Calls(), TLines());
  events.clear();
  http.GetString();
  ASSERT_TRUE(PumpUntilCompleted());
  EXPECT_EQ(events, TLines({"progress 3 3", "doneString abc"}));
}

} // namespace
