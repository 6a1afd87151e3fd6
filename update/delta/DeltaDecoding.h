#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

/// The largest program a delta is taken for, installed or rebuilt. The updater is a 32-bit
/// process: it holds the installed program and the window of the rebuilt one in memory while it
/// decodes, never more than twice this, and refuses a delta rather than run out of memory.
constexpr uint64_t kMaxDeltaProgramSize = uint64_t{128} << 20;
/// The largest window a delta's frame may ask for: 2^28 bytes, what zstd chooses for a program
/// of kMaxDeltaProgramSize. The decoder never holds more of it than the rebuilt program's size.
constexpr unsigned kMaxDeltaWindowLog = 28;

/// How rebuilding a program from a delta ended.
enum class TDeltaOutcome {
  Rebuilt, // the frame decoded whole, its size and content checksum as it declared them
  Refused, // not one zstd frame that declares its size and checksum within the bounds above,
           // or a reference past them
  Corrupt, // a decoding error, a checksum that does not match, a cut frame, bytes after it;
           // or no memory left for decoding
  Stopped, // the stop request came first
  CannotRead,
  CannotWrite,
};

/// Reads up to size bytes of the delta into buffer; 0 at its end. Throws std::runtime_error
/// when it cannot read.
using TDeltaReader = std::function<size_t(char *buffer, size_t size)>;
/// Takes the next size bytes of the rebuilt program. Throws std::runtime_error when it cannot.
using TDeltaWriter = std::function<void(const char *data, size_t size)>;

/// Rebuilds a program from a delta, a zstd frame made with `zstd --patch-from=OLD NEW`, with
/// reference (OLD, the installed program) as its prefix: the frame is read through read and the
/// program written through write, a piece at a time, so that a stop request is seen within a
/// few milliseconds. What was written before an outcome other than Rebuilt is not the program.
TDeltaOutcome RebuildFromDelta(const TDeltaReader &read, std::string_view reference,
                               const TDeltaWriter &write, const std::atomic<bool> &stop);
