// Rebuilding a program from a delta and the installed program, with zstd's own deltas and with
// frames that a server could send instead.

#include "update/DeltaDecoding.h"
#include "tests/unit/Deltas.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

// Two releases that share most of their bytes, as consecutive builds of a program do.
std::string Release(int version) {
  std::string program = "MZ";
  for (int line = 0; line < 4000; ++line)
    program += "line " + std::to_string(line % (line % 7 == 0 ? version + 3 : 100000)) + ";";
  return program;
}
const std::string kOld = Release(1);
const std::string kNew = Release(2);

// A frame header of zstd's own: magic number, descriptor (8-byte size, checksum), window
// descriptor, declared size.
std::string Header(uint8_t windowDescriptor, uint64_t declaredSize) {
  std::string header("\x28\xB5\x2F\xFD\xC4", 5);
  header += static_cast<char>(windowDescriptor);
  for (int i = 0; i < 8; ++i)
    header += static_cast<char>(declaredSize >> (8 * i));
  return header;
}
// Window descriptors: 2^(10 + exponent) bytes.
constexpr uint8_t kWindow1MiB = 10 << 3, kWindowAtBound = 18 << 3, kWindowPastBound = 19 << 3;

// Serves delta a piece at a time, as a file is read.
TDeltaReader ReaderOf(const std::string &delta) {
  auto at = std::make_shared<size_t>(0);
  return [delta, at](char *buffer, size_t size) {
    const size_t read = delta.copy(buffer, size, std::min(*at, delta.size()));
    *at += read;
    return read;
  };
}

struct TRebuild {
  TDeltaOutcome Outcome;
  std::string Written;
};

TRebuild Rebuild(const std::string &delta, const std::string &reference) {
  std::atomic<bool> stop{false};
  TRebuild result;
  result.Outcome = RebuildFromDelta(
      ReaderOf(delta), reference,
      [&](const char *data, size_t size) { result.Written.append(data, size); }, stop);
  return result;
}

TEST(DeltaDecoding, RebuildsOnlyWhatTheDeltaWasMadeForAndRefusesWhatCannotBeChecked) {
  const std::string delta = DeltaOf(kOld, kNew);
  ASSERT_LT(delta.size(), kNew.size() / 4) << "not a delta worth the name";
  std::string flipped = delta;
  flipped[flipped.size() / 2] ^= 0x20;
  const struct {
    const char *Name;
    std::string Delta, Reference;
    TDeltaOutcome Outcome;
    std::string Rebuilt = ""; // what a delta that decodes rebuilds
  } rows[] = {
      {"the delta for the reference", delta, kOld, TDeltaOutcome::Rebuilt, kNew},
      {"the delta of a program to itself", DeltaOf(kOld, kOld), kOld, TDeltaOutcome::Rebuilt, kOld},
      {"another reference", delta, Release(3), TDeltaOutcome::Corrupt},
      {"no reference", delta, "", TDeltaOutcome::Corrupt},
      {"a byte changed", flipped, kOld, TDeltaOutcome::Corrupt},
      {"cut short", delta.substr(0, delta.size() - 5), kOld, TDeltaOutcome::Corrupt},
      {"bytes after the frame", delta + "x", kOld, TDeltaOutcome::Corrupt},
      {"a second frame", delta + delta, kOld, TDeltaOutcome::Corrupt},
      {"nothing", "", kOld, TDeltaOutcome::Refused},
      {"a web page", "<html><body>Not here</body></html>", kOld, TDeltaOutcome::Refused},
      {"a program", kNew, kOld, TDeltaOutcome::Refused},
      {"a skippable frame", std::string("\x50\x2A\x4D\x18\x00\x00\x00\x00", 8), kOld,
       TDeltaOutcome::Refused},
      {"no checksum", DeltaOf(kOld, kNew, "--no-check"), kOld, TDeltaOutcome::Refused},
      {"no declared size", DeltaOf(kOld, kNew, "--no-content-size"), kOld, TDeltaOutcome::Refused},
      {"a size past the bound", Header(kWindow1MiB, kMaxDeltaProgramSize + 1), kOld,
       TDeltaOutcome::Refused},
      {"a size at the bound, cut", Header(kWindow1MiB, kMaxDeltaProgramSize), kOld,
       TDeltaOutcome::Corrupt},
      {"a window past the bound", Header(kWindowPastBound, 1000), kOld, TDeltaOutcome::Refused},
      {"a window at the bound, cut", Header(kWindowAtBound, 1000), kOld, TDeltaOutcome::Corrupt},
  };
  for (const auto &row : rows) {
    const TRebuild rebuilt = Rebuild(row.Delta, row.Reference);
    EXPECT_EQ(rebuilt.Outcome, row.Outcome) << row.Name;
    if (row.Outcome == TDeltaOutcome::Rebuilt)
      EXPECT_TRUE(rebuilt.Written == row.Rebuilt) << row.Name;
  }
}

// The stop request is seen between two pieces, however much of the frame is left; a reader or a
// writer that fails is told apart.
TEST(DeltaDecoding, StopsAtTheNextPieceAndTellsReadingFromWritingFailures) {
  const std::string large = std::string(3 << 20, 'a') + kOld;
  const std::string delta = DeltaOf(kOld, large);
  std::atomic<bool> stop{true};
  const auto takes = [](const char *, size_t) {};
  EXPECT_EQ(RebuildFromDelta(ReaderOf(delta), kOld, takes, stop), TDeltaOutcome::Stopped);

  stop = false;
  std::string written;
  const auto takesThenStops = [&](const char *data, size_t size) {
    written.append(data, size);
    stop = true;
  };
  EXPECT_EQ(RebuildFromDelta(ReaderOf(delta), kOld, takesThenStops, stop), TDeltaOutcome::Stopped);
  EXPECT_LT(written.size(), large.size() / 8) << "decoding went on after the stop request";

  stop = false;
  const auto fails = [](auto...) -> size_t { throw std::runtime_error("no disk"); };
  EXPECT_EQ(RebuildFromDelta(fails, kOld, takes, stop), TDeltaOutcome::CannotRead);
  const TDeltaReader whole = ReaderOf(delta);
  size_t reads = 0;
  const auto failsLater = [&](char *buffer, size_t size) -> size_t {
    if (reads++ > 0)
      throw std::runtime_error("the medium is gone");
    return whole(buffer, std::min<size_t>(size, 64));
  };
  EXPECT_EQ(RebuildFromDelta(failsLater, kOld, takes, stop), TDeltaOutcome::CannotRead);
  EXPECT_EQ(RebuildFromDelta(ReaderOf(delta), kOld, fails, stop), TDeltaOutcome::CannotWrite);
}

} // namespace
