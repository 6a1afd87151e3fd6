#pragma once

#include "httpget/HttpGet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// The events that one component reported, in the order they came.
class TEventLog : public TObject {
public:
  struct TProgress {
    TObject *Sender;
    int32_t TotalSize;
    int32_t Readed;
  };
  struct TDoneFile {
    TObject *Sender;
    std::string FileName;
    int32_t FileSize;
  };
  struct TDoneString {
    TObject *Sender;
    std::string Result;
  };

  std::vector<TProgress> Progress;
  std::vector<TDoneFile> DoneFiles;
  std::vector<TDoneString> DoneStrings;
  std::vector<TObject *> Errors; // their senders

  /// OnDoneFile, OnDoneString and OnError so far.
  size_t Completions() const { return DoneFiles.size() + DoneStrings.size() + Errors.size(); }

  void Progressed(TObject *sender, int32_t totalSize, int32_t readed);
  void DoneFile(TObject *sender, std::string fileName, int32_t fileSize);
  void DoneString(TObject *sender, std::string result);
  void Error(TObject *sender);
};

/// A component that fetches through the real WinINet, its events logged, and a target file
/// in the temp folder named after the test, absent when the test starts. The test's main
/// thread is the user-interface thread; the test serves its messages while it waits.
class HttpGetFixture : public ::testing::Test {
protected:
  HttpGetFixture();
  ~HttpGetFixture() override;

  /// Serves messages until done() holds; false when it does not hold within a generous bound,
  /// so that a transfer that never ends fails the test instead of hanging it.
  bool PumpUntil(const std::function<bool()> &done);
  /// Serves messages until the transfer has reported its completion.
  bool WaitForCompletion();
  /// Fetches url into TargetFile and waits for the completion.
  bool FetchFile(const std::string &url, bool binaryData);
  /// Fetches url into a text and waits for the completion.
  bool FetchString(const std::string &url);

  const std::string TargetFile;
  TEventLog Log;
  THTTPGet Http{nullptr}; // after Log, whose methods are its handlers
};

std::string ReadWholeFile(const std::string &fileName);
void WriteWholeFile(const std::string &fileName, const std::string &content);
bool FileExists(const std::string &fileName);

/// size bytes in which every byte value occurs, NUL included, in no simple pattern.
std::string VariedBytes(size_t size);

/// The first line of a raw request, without its line end.
std::string RequestLine(const std::string &request);
/// The values of every header line called name (in any letter case) of a raw request.
std::vector<std::string> HeaderValues(const std::string &request, const std::string &name);
/// What follows the empty line that ends the head of a raw request.
std::string RequestBody(const std::string &request);
