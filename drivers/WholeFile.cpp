#include "drivers/WholeFile.h"

#include "framework/win32/Handles_win.h"
#include "framework/win32/WideText_win.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace {

// Shared as the C runtime's streams share a file, so that neither side stands in the other's way.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

std::string ReadWholeFile(const std::string &path) {
  const TFileHandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.Get() == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot open " + path);
  std::string content;
  std::vector<char> piece(65536);
  for (DWORD read = 0;; content.append(piece.data(), read)) {
    if (!ReadFile(file.Get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr))
      throw std::runtime_error("cannot read " + path);
    if (read == 0)
      return content;
  }
}

void WriteWholeFile(const std::string &path, const std::string &content) {
  const TFileHandle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, kShareAll, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file.Get() == INVALID_HANDLE_VALUE ||
      !WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written,
                 nullptr) ||
      written != content.size())
    throw std::runtime_error("cannot write " + path);
}
