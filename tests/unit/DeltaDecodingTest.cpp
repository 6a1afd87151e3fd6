// Rebuilding a program from a delta and the installed program, with zstd's own deltas and with
// frames that a server could send instead.

#include "update/delta/DeltaDecoding.h"
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

// A frame header of zstd's own that declares a window of 2^(10 + exponent) bytes, size bytes
// and a checksum.
std::string Header(int windowExponent, uint64_t size) {
  std::string header("\x28\xB5\x2F\xFD\xC4", 5);
  header += static_cast<char>(windowExponent << 3);
  for (int i = 0; i < 8; ++i)
    header += static_cast<char>(size >> (8 * i));
  return header;
}

// Serves delta in pieces of at most piece bytes, as a file is read.
TDeltaReader ReaderOf(const std::string &delta, size_t piece = SIZE_MAX) {
  auto at = std::make_shared<size_t>(0);
  return [delta, at, piece](char *buffer, size_t size) {
    const size_t read = delta.copy(buffer, std::min(size, piece), std::min(*at, delta.size()));
    *at += read;
    return read;
  };
}

TEST(DeltaDecoding, RebuildsOnlyWhatTheDeltaWasMadeForAndRefusesWhatCannotBeChecked) {
  const std::string delta = DeltaOf(kOld, kNew);
  ASSERT_LT(delta.size(), kNew.size() / 4) << "not a delta worth the name";
  std::string flipped = delta;
  flipped[flipped.size() / 2] ^= 0x20;
  // Blocks that are not the last write on under a window smaller than the declared size: 200
  // blocks of 128 KiB of 'A', four bytes each, where 1 MiB is declared.
  std::string endless = Header(7, 1 << 20);
  for (int block = 0; block < 200; ++block)
    endless += std::string("\x02\x00\x10\x41", 4);
  const struct {
    const char *Name;
    std::string Delta, Reference;
    TDeltaOutcome Outcome;
    size_t Piece = SIZE_MAX; // the most a read hands over
  } rows[] = {
      {"the delta for the reference", delta, kOld, TDeltaOutcome::Rebuilt},
      {"read a byte at a time", delta, kOld, TDeltaOutcome::Rebuilt, 1},
      {"another reference", delta, Release(3), TDeltaOutcome::Corrupt},
      {"no reference", delta, "", TDeltaOutcome::Corrupt},
      {"a byte changed", flipped, kOld, TDeltaOutcome::Corrupt},
      {"cut short", delta.substr(0, delta.size() - 5), kOld, TDeltaOutcome::Corrupt},
      {"bytes after the frame", delta + "x", kOld, TDeltaOutcome::Corrupt},
      {"blocks past the declared size", endless, kOld, TDeltaOutcome::Corrupt},
      {"nothing", "", kOld, TDeltaOutcome::Refused},
      {"a web page", "<html><body>Not here</body></html>", kOld, TDeltaOutcome::Refused},
      {"a skippable frame", std::string("\x50\x2A\x4D\x18\x00\x00\x00\x00", 8), kOld,
       TDeltaOutcome::Refused},
      {"no checksum", DeltaOf(kOld, kNew, "--no-check"), kOld, TDeltaOutcome::Refused},
      {"no declared size", DeltaOf(kOld, kNew, "--no-content-size"), kOld, TDeltaOutcome::Refused},
      {"a size past the bound", Header(10, kMaxDeltaProgramSize + 1), kOld, TDeltaOutcome::Refused},
      {"a size at the bound, cut", Header(10, kMaxDeltaProgramSize), kOld, TDeltaOutcome::Corrupt},
      {"a window past the bound", Header(19, 1000), kOld, TDeltaOutcome::Refused},
      {"a window at the bound, cut", Header(18, 1000), kOld, TDeltaOutcome::Corrupt},
  };
  for (const auto &row : rows) {
    std::atomic<bool> stop{false};
    std::string written;
    EXPECT_EQ(RebuildFromDelta(
                  ReaderOf(row.Delta, row.Piece), row.Reference,
                  [&](const char *data, size_t size) { written.append(data, size); }, stop),
              row.Outcome)
        << row.Name;
    if (row.Outcome == TDeltaOutcome::Rebuilt)
      EXPECT_TRUE(written == kNew) << row.Name;
    EXPECT_LE(written.size(), size_t{1} << 20) << row.Name << ": more written than declared";
  }
}

// The stop request is seen between two pieces, however much of the frame is left; a reader or a
// writer that fails is told apart.
TEST(DeltaDecoding, StopsAtTheNextPieceAndTellsReadingFromWritingFailures) {
  const std::string large = std::string(3 << 20, 'a') + kOld;
  const std::string delta = DeltaOf(kOld, large);
  std::atomic<bool> stop{true};
  size_t written = 0;
  const auto takes = [&](const char *, size_t size) { written += size; };
  EXPECT_EQ(RebuildFromDelta(ReaderOf(delta), kOld, takes, stop), TDeltaOutcome::Stopped);
  EXPECT_EQ(written, 0u);

  stop = false;
  const auto takesThenStops = [&](const char *, size_t size) {
    written += size;
    stop = true;
  };
  EXPECT_EQ(RebuildFromDelta(ReaderOf(delta), kOld, takesThenStops, stop), TDeltaOutcome::Stopped);
  EXPECT_LT(written, large.size() / 8) << "decoding went on after the stop request";

  stop = false;
  const auto fails = [](auto...) -> size_t { throw std::runtime_error("no disk"); };
  EXPECT_EQ(RebuildFromDelta(fails, kOld, takes, stop), TDeltaOutcome::CannotRead);
  const TDeltaReader firstPiece = ReaderOf(delta.substr(0, 64));
  const auto failsAfterIt = [&](char *buffer, size_t size) {
    const size_t read = firstPiece(buffer, size);
    return read > 0 ? read : fails();
  };
  EXPECT_EQ(RebuildFromDelta(failsAfterIt, kOld, takes, stop), TDeltaOutcome::CannotRead);
  EXPECT_EQ(RebuildFromDelta(ReaderOf(delta), kOld, fails, stop), TDeltaOutcome::CannotWrite);
}

} // namespace
