#include "update/DeltaDecoding.h"

#define ZSTD_STATIC_LINKING_ONLY // ZSTD_getFrameHeader, ZSTD_d_windowLogMax
#include <zstd.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct TFreeContext {
  void operator()(ZSTD_DCtx *context) const { ZSTD_freeDCtx(context); }
};

// The frame is judged by its header before anything is decoded: a size or window the updater
// could not hold, and a frame that could not be checked once decoded, are never started. An
// unknown size reads as the largest number, past every bound.
bool IsAcceptableHeader(const char *data, size_t size) {
  ZSTD_frameHeader header{};
  return ZSTD_getFrameHeader(&header, data, size) == 0 && header.frameType == ZSTD_frame &&
         header.frameContentSize <= kMaxDeltaProgramSize && header.checksumFlag &&
         header.windowSize <= (uint64_t{1} << kMaxDeltaWindowLog);
}

TDeltaOutcome Decode(ZSTD_DCtx &context, const TDeltaReader &read, std::vector<char> &in,
                     size_t inSize, const TDeltaWriter &write, const std::atomic<bool> &stop) {
  std::vector<char> out(ZSTD_DStreamOutSize());
  ZSTD_inBuffer input{in.data(), inSize, 0};
  for (;;) {
    if (stop)
      return TDeltaOutcome::Stopped;
    ZSTD_outBuffer output{out.data(), out.size(), 0};
    const size_t hint = ZSTD_decompressStream(&context, &output, &input);
    if (ZSTD_isError(hint))
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
    inSize = read(in.data(), in.size());
  } catch (const std::runtime_error &) {
    return TDeltaOutcome::CannotRead;
  }
  if (!IsAcceptableHeader(in.data(), inSize))
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
    return Decode(*context, read, in, inSize, trackedWrite, stop);
  } catch (const std::runtime_error &) {
    return writing ? TDeltaOutcome::CannotWrite : TDeltaOutcome::CannotRead;
  } catch (const std::bad_alloc &) {
    return TDeltaOutcome::Corrupt;
  }
}
