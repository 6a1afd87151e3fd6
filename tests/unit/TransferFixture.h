#pragma once

#include "drivers/FakeUiThread.h"
#include "framework/Component.h"
#include "httpget/HttpGet.h"
#include "tests/unit/ScriptedInternet.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

/// A form that holds an HTTP component and writes each of its events into a log kept outside
/// the form, so that the log outlives it:
///   "progress <TotalSize> <Readed>", "doneFile <FileName> <FileSize>", "doneString <Result>",
///   "error".
class TTestForm : public TComponent {
public:
  explicit TTestForm(std::vector<std::string> &log) : TComponent(nullptr), fLog(log) {}

  /// Assigns all four events of component to this form's handlers.
  void Wire(THTTPGet &component);

  /// Runs at the end of every handler with the entry just logged; it may act on the component
  /// or throw, as an owner's handler may.
  std::function<void(const std::string &entry)> AfterEvent;

  void Progress(TObject *sender, int32_t totalSize, int32_t readed);
  void DoneFile(TObject *sender, std::string fileName, int32_t fileSize);
  void DoneString(TObject *sender, std::string result);
  void Error(TObject *sender);

private:
  void Log(const std::string &entry);

  std::vector<std::string> &fLog;
  THTTPGet *fComponent = nullptr;
};

/// A user-interface thread played by the test, a scripted network, and a form owning the
/// component under test with all its events logged. Every test must let its workers end;
/// TearDown checks that none outlives the test.
class TransferTest : public ::testing::Test {
protected:
  TransferTest();
  void TearDown() override;

  /// Serves the user-interface calls until a completion event is logged.
  bool PumpUntilCompleted();
  /// Serves the user-interface calls until every worker thread started since the test began has
  /// ended, that is until every worker has deleted itself.
  bool PumpUntilWorkersEnded();
  /// Checks that the last transfer closed its three handles once each, request first, as its
  /// last calls.
  void ExpectHandlesClosed() const;

  /// A file in a folder of the test's own.
  std::string PathInFolder(const std::string &name) const { return fFolder + "/" + name; }
  std::string TargetPath() const { return PathInFolder("target.bin"); }
  static std::string ContentOf(const std::string &path);
  static void WriteFile(const std::string &path, const std::string &content);
  /// Whether this process holds path open.
  static bool IsOpen(const std::string &path);

  /// The log entry of a successful file transfer into TargetPath.
  std::string DoneFile(int32_t fileSize) const;

  TFakeUiThread ui;
  TScriptedInternet net;
  std::vector<std::string> events;
  std::unique_ptr<TTestForm> form = std::make_unique<TTestForm>(events);
  THTTPGet &http = form->Own<THTTPGet>(net);

private:
  long fThreadsAtStart;
  std::string fFolder;
};
