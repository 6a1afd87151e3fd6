#include "bench/delta/DecodeRounds_win.h"

#include "bench/download/Measures_win.h"
#include "update/delta/DeltaDecoding.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace {

// One rebuild as the updater's worker runs it, from and into memory here, so that only the
// decoding is measured.
class TRebuild {
public:
  explicit TRebuild(const TDeltaFiles &files) : fFiles(files) {
    fRebuilt.reserve(files.New.size());
  }

  TDeltaOutcome Run(const std::atomic<bool> &stop) {
    size_t offset = 0;
    const TDeltaReader read = [&](char *buffer, size_t size) {
      const size_t length = std::min(size, fFiles.Delta.size() - offset);
      std::memcpy(buffer, fFiles.Delta.data() + offset, length);
      offset += length;
      return length;
    };
    const TDeltaWriter write = [&](const char *data, size_t size) { fRebuilt.append(data, size); };
    return RebuildFromDelta(read, fFiles.Old, write, stop);
  }
  bool RebuiltNew() const { return fRebuilt == fFiles.New; }

private:
  const TDeltaFiles &fFiles;
  std::string fRebuilt;
};

} // namespace

double TimeRebuild(const TDeltaFiles &files) {
  TRebuild rebuild(files);
  const std::atomic<bool> never{false};
  const TClock::time_point started = TClock::now();
  const TDeltaOutcome outcome = rebuild.Run(never);
  const double milliseconds = MillisecondsBetween(started, TClock::now());
  if (outcome != TDeltaOutcome::Rebuilt || !rebuild.RebuiltNew())
    throw std::runtime_error("the delta did not rebuild the new program");
  return milliseconds;
}

std::optional<double> TimeStop(const TDeltaFiles &files, DWORD delay) {
  TRebuild rebuild(files);
  std::atomic<bool> stop{false};
  TDeltaOutcome outcome = TDeltaOutcome::CannotRead;
  TClock::time_point returned;
  std::thread worker([&] {
    outcome = rebuild.Run(stop);
    returned = TClock::now();
  });
  Sleep(delay);
  const TClock::time_point stopped = TClock::now();
  stop = true;
  worker.join();
  if (outcome == TDeltaOutcome::Rebuilt)
    return std::nullopt;
  if (outcome != TDeltaOutcome::Stopped)
    throw std::runtime_error("a stopped rebuild ended otherwise than stopped");
  return MillisecondsBetween(stopped, returned);
}
