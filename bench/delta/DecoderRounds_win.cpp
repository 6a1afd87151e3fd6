#include "bench/delta/DecoderRounds_win.h"

#include "bench/download/Measures_win.h"
#include "drivers/WaitBound.h"
#include "drivers/WholeFile.h"
#include "framework/UiThread.h"
#include "framework/win32/WideText_win.h"

#include <stdexcept>

namespace {

TDeltaDecoder &DecoderOf(TApplication &application) {
  application.Initialize();
  return application.Own<TDeltaDecoder>();
}

} // namespace

TDecoderRounds::TDecoderRounds(const std::string &program, const std::string &delta,
                               const std::string &target)
    : fDecoder(DecoderOf(fApplication)) {
  fDecoder.ProgramFile = program;
  fDecoder.DeltaFile = delta;
  fDecoder.FileName = target;
  fDecoder.OnDone = MethodOf<&TDecoderRounds::Done>(this);
  fDecoder.OnError = MethodOf<&TDecoderRounds::Error>(this);
}

bool TDecoderRounds::ServeUntilReported(DWORD bound) {
  const ULONGLONG deadline = GetTickCount64() + bound;
  for (ULONGLONG now = GetTickCount64(); fReport == TReport::None && now < deadline;
       now = GetTickCount64()) {
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    UiThread().ProcessMessages();
  }
  return fReport != TReport::None;
}

double TDecoderRounds::TimeRebuild(const std::string &newProgram) {
  fReport = TReport::None;
  const TClock::time_point started = TClock::now();
  fDecoder.Rebuild();
  if (!ServeUntilReported(kWaitBoundMilliseconds) || fReport != TReport::Done)
    throw std::runtime_error("the decoder did not rebuild the program");
  const double milliseconds = MillisecondsBetween(started, TClock::now());
  if (ReadWholeFile(fDecoder.FileName) != newProgram)
    throw std::runtime_error("the decoder's file is not the new program");
  return milliseconds;
}

std::optional<double> TDecoderRounds::TimeAbort(DWORD delay) {
  fReport = TReport::None;
  fDecoder.Rebuild();
  if (ServeUntilReported(delay))
    return std::nullopt;
  const TClock::time_point aborted = TClock::now();
  fDecoder.Abort();
  if (!ServeUntilReported(kWaitBoundMilliseconds))
    throw std::runtime_error("the decoder did not end after Abort");
  const double milliseconds = MillisecondsBetween(aborted, TClock::now());
  if (fReport != TReport::Error)
    return std::nullopt; // it had finished before the stop request was seen
  if (GetFileAttributesW(WideFromUtf8(fDecoder.FileName).c_str()) != INVALID_FILE_ATTRIBUTES)
    throw std::runtime_error("a stopped decoding left its file behind");
  return milliseconds;
}
