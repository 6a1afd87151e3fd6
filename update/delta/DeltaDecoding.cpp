#include "update/delta/DeltaDecoding.h"

#define ZSTD_STATIC_LINKING_ONLY // ZSTD_getFrameHeader, ZSTD_d_windowLogMax
#include <zstd.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

struct TFreeContext {
  void operator()(ZSTD_DCtx *context) const { ZSTD_freeDCtx(context); }
};

// The frame is judged by its header before anything is decoded: a size or window the updater
// could not hold, and a frame that could not be checked once decoded, are never started. An
// unknown size reads as the largest number, past every bound. The size the frame declares, when
// it is acceptable.
std::optional<uint64_t> DeclaredSizeOf(const char *data, size_t size) {
  ZSTD_frameHeader header{};
  if (ZSTD_getFrameHeader(&header, data, size) == 0 && header.frameType == ZSTD_frame &&
      header.frameContentSize <= kMaxDeltaProgramSize && header.checksumFlag &&
      header.windowSize <= (uint64_t{1} << kMaxDeltaWindowLog))
    return header.frameContentSize;
  return std::nullopt;
}

// Reads until buffer holds at least least bytes, or the delta has ended; the bytes held.
size_t ReadAtLeast(const TDeltaReader &read, std::vector<char> &buffer, size_t least) {
  size_t held = 0;
  for (size_t got = 1; held < least && got > 0; held += got)
    got = read(buffer.data() + held, buffer.size() - held);
  return held;
}

// zstd compares the rebuilt size with the declared one only at the frame's last block: until
// then a window smaller than the program lets blocks write on and on. The writer never takes
// more than was declared.
TDeltaOutcome Decode(ZSTD_DCtx &context, const TDeltaReader &read, std::vector<char> &in,
                     size_t inSize, uint64_t declaredSize, const TDeltaWriter &write,
                     const std::atomic<bool> &stop) {
  uint64_t written = 0;
  std::vector<char> out(ZSTD_DStreamOutSize());
  ZSTD_inBuffer input{in.data(), inSize, 0};
  for (;;) {
    if (stop)
      return TDeltaOutcome::Stopped;
    ZSTD_outBuffer output{out.data(), out.size(), 0};
    const size_t hint = ZSTD_decompressStream(&context, &output, &input);
    if (ZSTD_isError(hint))
      return TDeltaOutcome::Corrupt;
    written += output.pos;
    if (written > declaredSize)
      return TDeltaOutcome::Corrupt;
    if (output.pos > 0)
      write(out.data(), output.pos);
    if (hint == 0) // the frame is whole and its checksum matched; nothing may follow it
      return input.pos == input.size && read(in.data(), 1) == 0 ? TDeltaOutcome::Rebuilt
                                                                : TDeltaOutcome::Corrupt;
    if (input.pos == input.size && output.pos < output.size) {
      input = {in.data(), read(in.data(), in.size()), 0};
      if (input.size == 0) // cut short
        return TDeltaOutcome::Corrupt;
    }
  }
}

} // namespace

TDeltaOutcome RebuildFromDelta(const TDeltaReader &read, std::string_view reference,
                               const TDeltaWriter &write, const std::atomic<bool> &stop) {
  if (reference.size() > kMaxDeltaProgramSize)
    return TDeltaOutcome::Refused;
  std::vector<char> in(ZSTD_DStreamInSize());
  size_t inSize = 0;
  try {
    inSize = ReadAtLeast(read, in, ZSTD_FRAMEHEADERSIZE_MAX);
  } catch (const std::runtime_error &) {
    return TDeltaOutcome::CannotRead;
  }
  const std::optional<uint64_t> declaredSize = DeclaredSizeOf(in.data(), inSize);
  if (!declaredSize)
    return TDeltaOutcome::Refused;
  const std::unique_ptr<ZSTD_DCtx, TFreeContext> context(ZSTD_createDCtx());
  if (!context ||
      ZSTD_isError(
          ZSTD_DCtx_setParameter(context.get(), ZSTD_d_windowLogMax, kMaxDeltaWindowLog)) ||
      ZSTD_isError(ZSTD_DCtx_refPrefix(context.get(), reference.data(), reference.size())))
    return TDeltaOutcome::Corrupt;
  // The reader's failures and the writer's are told apart by which of them throws.
  bool writing = false;
  const TDeltaWriter trackedWrite = [&](const char *data, size_t size) {
    writing = true;
    write(data, size);
    writing = false;
  };
  try {
    return Decode(*context, read, in, inSize, *declaredSize, trackedWrite, stop);
  } catch (const std::runtime_error &) {
    return writing ? TDeltaOutcome::CannotWrite : TDeltaOutcome::CannotRead;
  } catch (const std::bad_alloc &) {
    return TDeltaOutcome::Corrupt;
  }
}
