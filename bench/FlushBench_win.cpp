// What putting a finished download on the disk costs: 48 MiB written through the transfer's
// target file in the worker's 1025-byte pieces, closed at once or flushed first (FlushFileBuffers),
// the medians of five alternated rounds each. tools/bench-download runs it under Wine.
//
//   bench_flush <folder>
#include "httpget/TargetFile.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

constexpr size_t kFileSize = 48u << 20;
constexpr size_t kPieceSize = 1025; // what the transfer worker writes at a time
constexpr int kRounds = 5;

// Milliseconds from the creation of the file to its close, flushed before or not.
double TimeWrite(const std::string &file, bool flushed) {
  const std::vector<char> piece(kPieceSize, 'x');
  const TClock::time_point started = TClock::now();
  {
    TTargetFile target = TTargetFile::Create(file);
    for (size_t written = 0; written < kFileSize; written += kPieceSize)
      target.Write(piece.data(), std::min(kPieceSize, kFileSize - written));
    if (flushed)
      target.Flush();
  }
  const double milliseconds =
      std::chrono::duration<double, std::milli>(TClock::now() - started).count();
  DeleteFileA(file.c_str());
  return milliseconds;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_flush <folder>\n");
    return 1;
  }
  try {
    const std::string file = std::string(argv[1]) + "\\flush.tmp";
    std::vector<double> closed, flushed;
    // Alternated, so that a slow phase of the machine falls on both alike.
    for (int round = 0; round < kRounds; ++round) {
      closed.push_back(TimeWrite(file, false));
      flushed.push_back(TimeWrite(file, true));
    }
    std::printf("48 MiB written in 1025-byte pieces: closed at once %.1f ms, flushed first %.1f ms "
                "(medians of %d); the flush costs %.1f ms\n",
                Median(closed), Median(flushed), kRounds, Median(flushed) - Median(closed));
  } catch (const std::exception &error) {
    std::fprintf(stderr, "bench_flush: %s\n", error.what());
    return 1;
  }
  return 0;
}
