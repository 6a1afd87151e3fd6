#include "tests/unit/TransferFixture.h"

#include "httpget/HttpGetThread.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

namespace {

// A worker's thread ends right after the worker has deleted itself.
long ThreadCount() {
  const std::filesystem::directory_iterator threads("/proc/self/task");
  return std::distance(begin(threads), end(threads));
}

} // namespace

void TTestForm::Wire(THTTPGet &component) {
  fComponent = &component;
  component.OnProgress = MethodOf<&TTestForm::Progress>(this);
  component.OnDoneFile = MethodOf<&TTestForm::DoneFile>(this);
  component.OnDoneString = MethodOf<&TTestForm::DoneString>(this);
  component.OnError = MethodOf<&TTestForm::Error>(this);
}

void TTestForm::Progress(TObject *sender, int32_t totalSize, int32_t readed) {
  EXPECT_NE(dynamic_cast<THTTPGetThread *>(sender), nullptr) << "Sender must be the worker";
  Log("progress " + std::to_string(totalSize) + " " + std::to_string(readed));
}

void TTestForm::DoneFile(TObject *sender, std::string fileName, int32_t fileSize) {
  EXPECT_EQ(sender, fComponent) << "Sender must be the component";
  Log("doneFile " + fileName + " " + std::to_string(fileSize));
}

void TTestForm::DoneString(TObject *sender, std::string result) {
  EXPECT_EQ(sender, fComponent) << "Sender must be the component";
  Log("doneString " + result);
}

void TTestForm::Error(TObject *sender) {
  EXPECT_EQ(sender, fComponent) << "Sender must be the component";
  Log("error");
}

void TTestForm::Log(const std::string &entry) {
  fLog.push_back(entry);
  if (AfterEvent)
    AfterEvent(entry);
}

TransferTest::TransferTest() {
  // ThreadSanitizer starts a thread of its own along with the first thread of the process;
  // start it now so that it is not taken for a worker.
  std::thread([] {}).join();
  fThreadsAtStart = ThreadCount();

  std::string folder = (std::filesystem::temp_directory_path() / "transfer-XXXXXX").string();
  if (!mkdtemp(folder.data()))
    ADD_FAILURE() << "cannot create a folder in " << folder;
  fFolder = folder;
  form->Wire(http);
}

void TransferTest::TearDown() {
  net.Resume(); // a test that failed may have left its worker held
  EXPECT_TRUE(PumpUntilWorkersEnded()) << "a worker outlived its test";
  std::filesystem::remove_all(fFolder);
}

bool TransferTest::PumpUntilCompleted() {
  return ui.PumpUntil([this] {
    for (const std::string &event : events)
      if (event.compare(0, 9, "progress ") != 0)
        return true;
    return false;
  });
}

bool TransferTest::PumpUntilWorkersEnded() {
  return ui.PumpUntil([this] { return ThreadCount() <= fThreadsAtStart; });
}

void TransferTest::ExpectHandlesClosed() const {
  const std::vector<std::string> calls = net.Calls();
  const auto lastOpen = std::find_if(calls.rbegin(), calls.rend(), [](const std::string &call) {
    return call.rfind("Open(", 0) == 0;
  });
  std::vector<std::string> closes;
  std::copy_if(lastOpen.base(), calls.end(), std::back_inserter(closes),
               [](const std::string &call) { return call.rfind("CloseHandle", 0) == 0; });
  EXPECT_EQ(closes, std::vector<std::string>({"CloseHandle(request)", "CloseHandle(connection)",
                                              "CloseHandle(session)"}));
  EXPECT_TRUE(calls.size() >= 3 && std::equal(closes.begin(), closes.end(), calls.end() - 3))
      << "the handles are closed last";
}

std::string TransferTest::ContentOf(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void TransferTest::WriteFile(const std::string &path, const std::string &content) {
  std::ofstream(path, std::ios::binary) << content;
}

bool TransferTest::IsOpen(const std::string &path) {
  const std::filesystem::path wanted = std::filesystem::weakly_canonical(path);
  for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (std::filesystem::read_symlink(entry.path(), error) == wanted)
      return true;
  }
  return false;
}

std::string TransferTest::DoneFile(int32_t fileSize) const {
  return "doneFile " + TargetPath() + " " + std::to_string(fileSize);
}
