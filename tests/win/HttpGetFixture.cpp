#include "tests/win/HttpGetFixture.h"

#include "framework/UiThread.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <fstream>
#include <iterator>

namespace {

std::string TempFileOfThisTest() {
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(sizeof folder, folder);
  const auto *test = ::testing::UnitTest::GetInstance()->current_test_info();
  // The names of parameterized tests hold slashes.
  std::string name = std::string(test->test_suite_name()) + "_" + test->name();
  std::replace(name.begin(), name.end(), '/', '_');
  return std::string(folder) + "win_httpget_" + name + ".bin";
}

std::string Lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

} // namespace

void TEventLog::Progressed(TObject *sender, int32_t totalSize, int32_t readed) {
  Progress.push_back({sender, totalSize, readed});
}

void TEventLog::DoneFile(TObject *sender, std::string fileName, int32_t fileSize) {
  DoneFiles.push_back({sender, std::move(fileName), fileSize});
}

void TEventLog::DoneString(TObject *sender, std::string result) {
  DoneStrings.push_back({sender, std::move(result)});
}

void TEventLog::Error(TObject *sender) { Errors.push_back(sender); }

HttpGetFixture::HttpGetFixture() : TargetFile(TempFileOfThisTest()) {
  DeleteFileA(TargetFile.c_str());
  Http.OnProgress = MethodOf<&TEventLog::Progressed>(&Log);
  Http.OnDoneFile = MethodOf<&TEventLog::DoneFile>(&Log);
  Http.OnDoneString = MethodOf<&TEventLog::DoneString>(&Log);
  Http.OnError = MethodOf<&TEventLog::Error>(&Log);
}

HttpGetFixture::~HttpGetFixture() { DeleteFileA(TargetFile.c_str()); }

bool HttpGetFixture::PumpUntil(const std::function<bool()> &done) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    UiThread().ProcessMessages();
    if (done())
      return true;
    if (std::chrono::steady_clock::now() > giveUp)
      return false;
    // Sleeps until a worker's call or any other message arrives.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
}

bool HttpGetFixture::WaitForCompletion() {
  return PumpUntil([this] { return Log.Completions() > 0; });
}

bool HttpGetFixture::FetchFile(const std::string &url, bool binaryData) {
  Http.URL = url;
  Http.FileName = TargetFile;
  Http.BinaryData = binaryData;
  Http.GetFile();
  return WaitForCompletion();
}

bool HttpGetFixture::FetchString(const std::string &url) {
  Http.URL = url;
  Http.GetString();
  return WaitForCompletion();
}

std::string ReadWholeFile(const std::string &fileName) {
  std::ifstream file(fileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string &fileName, const std::string &content) {
  std::ofstream(fileName, std::ios::binary) << content;
}

bool FileExists(const std::string &fileName) {
  return GetFileAttributesA(fileName.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string VariedBytes(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (char &byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string RequestLine(const std::string &request) {
  return request.substr(0, request.find("\r\n"));
}

std::vector<std::string> HeaderValues(const std::string &request, const std::string &name) {
  const std::string head = request.substr(0, request.find("\r\n\r\n"));
  const std::string wanted = Lowercase(name) + ":";
  std::vector<std::string> values;
  for (size_t start = head.find("\r\n"); start != std::string::npos;) {
    start += 2;
    const size_t end = head.find("\r\n", start);
    const std::string line = head.substr(start, end - start);
    if (Lowercase(line.substr(0, wanted.size())) == wanted) {
      const size_t value = line.find_first_not_of(' ', wanted.size());
      values.push_back(value == std::string::npos ? std::string() : line.substr(value));
    }
    start = end;
  }
  return values;
}

std::string RequestBody(const std::string &request) {
  const size_t headEnd = request.find("\r\n\r\n");
  return headEnd == std::string::npos ? std::string() : request.substr(headEnd + 4);
}
