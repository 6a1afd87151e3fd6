#include "versinfo/StandardOutput_win.h"

#include "framework/win32/WideText_win.h"

#include <algorithm>
#include <cstdio>

namespace {

// Consoles of older systems fail a write whose text does not fit their 64 KiB buffer.
constexpr size_t kConsoleChunk = 8192;

} // namespace

TStandardOutput::TStandardOutput() : fHandle(GetStdHandle(STD_OUTPUT_HANDLE)) {
  DWORD mode = 0;
  fConsole = fHandle && fHandle != INVALID_HANDLE_VALUE && GetConsoleMode(fHandle, &mode);
}

// A chunk never ends between the two halves of a surrogate pair, which the console would show
// as two unknown characters.
void TStandardOutput::Write(const std::string &text) const {
  if (!fConsole) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    return;
  }
  const std::wstring wide = WideFromUtf8(text);
  for (size_t at = 0; at < wide.size();) {
    size_t count = std::min(kConsoleChunk, wide.size() - at);
    if (at + count < wide.size() && IS_HIGH_SURROGATE(wide[at + count - 1]))
      --count;
    DWORD written = 0;
    if (!WriteConsoleW(fHandle, wide.data() + at, static_cast<DWORD>(count), &written, nullptr) ||
        written == 0)
      return;
    at += written;
  }
}
