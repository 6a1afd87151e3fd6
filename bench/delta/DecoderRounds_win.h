#pragma once

#include "framework/win32/Application_win.h"
#include "update/delta/DeltaDecoder.h"

#include <windows.h>

#include <optional>
#include <string>

/// Drives the updater's delta decoder component from this thread, which serves as the
/// user-interface thread, as the update dialog drives it: the installed program and the delta
/// are read from their files and the new program is written and flushed into a file of its own.
class TDecoderRounds {
public:
  /// All paths UTF-8; target is where the new program is written.
  TDecoderRounds(const std::string &program, const std::string &delta, const std::string &target);

  /// From Rebuild to OnDone, in milliseconds. Throws std::runtime_error when it did not end in
  /// OnDone with newProgram's bytes in the target.
  double TimeRebuild(const std::string &newProgram);
  /// Starts a rebuild, calls Abort after delay milliseconds, and measures from that call to
  /// OnError; nothing when OnDone came first. Throws std::runtime_error when it did not end, or
  /// left the target behind.
  std::optional<double> TimeAbort(DWORD delay);

private:
  enum class TReport { None, Done, Error };

  void Done(TObject *, std::string, int32_t) { fReport = TReport::Done; }
  void Error(TObject *) { fReport = TReport::Error; }
  /// Serves this thread's messages until the decoder has reported, or bound milliseconds have
  /// passed; whether it reported.
  bool ServeUntilReported(DWORD bound);

  TApplication fApplication;
  TDeltaDecoder &fDecoder;
  TReport fReport = TReport::None;
};
