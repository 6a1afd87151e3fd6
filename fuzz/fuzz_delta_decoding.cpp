// A delta as the server sends it, rebuilt against a fixed installed program: the decoding ends in
// one of the outcomes a caller knows, nothing is ever written past the size the frame declares,
// and a rebuilt program has exactly that size, never past the bound. libFuzzer's default limits
// hold: a frame may declare up to kMaxDeltaProgramSize and reach it with four bytes per block, but
// the decoder holds a window of at most that size, so a run stays at a few hundred MB,
// AddressSanitizer's quarantine included.
#include "update/delta/DeltaDecoding.h"

#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// An installed program: a header, then bytes of a small alphabet with stretches repeated from
// earlier, as code and tables repeat. The same on every run, so that the seeds stay its deltas.
std::string InstalledProgram() {
  constexpr size_t kSize = 48 << 10;
  constexpr char kOpcodes[] = "\x00\x8B\x45\xE8\xFF\x0F\x24\x89";
  std::string program = "MZ";
  uint32_t state = 1;
  while (program.size() < kSize) {
    state = state * 1103515245 + 12345;
    if (state >> 29 == 0 && program.size() > 64)
      program += program.substr((state >> 8) % (program.size() - 64), 16 + (state >> 4) % 48);
    else
      program += static_cast<char>(kOpcodes[(state >> 16) % 8] + (state >> 24) % 3);
  }
  program.resize(kSize);
  return program;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const std::string reference = InstalledProgram();
  size_t at = 0;
  const TDeltaReader read = [&](char *buffer, size_t count) {
    count = std::min(count, size - at);
    std::copy_n(data + at, count, buffer);
    at += count;
    return count;
  };
  uint64_t written = 0;
  const TDeltaWriter write = [&](const char *, size_t count) { written += count; };
  const std::atomic<bool> stop{false};
  const TDeltaOutcome outcome = RebuildFromDelta(read, reference, write, stop);
  // Whatever the frame holds, no more is written than it declared.
  const unsigned long long declared = ZSTD_getFrameContentSize(data, size);
  if (written > 0 && (written > kMaxDeltaProgramSize || written > declared))
    abort();
  switch (outcome) {
  case TDeltaOutcome::Rebuilt:
    if (written != declared)
      abort();
    return 0;
  case TDeltaOutcome::Refused:
  case TDeltaOutcome::Corrupt:
    return 0;
  default: // nothing asked for a stop, and neither the reader nor the writer fails
    abort();
  }
}
