#include "framework/win32/WideText_win.h"

#include <windows.h>

std::wstring WideFromUtf8(const std::string &text) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  if (length <= 0)
    return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

namespace {

std::string NarrowFromWide(UINT codePage, const std::wstring &text) {
  const int size = static_cast<int>(text.size());
  const int bytes =
      WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0)
    return std::string();
  std::string narrow(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

} // namespace

std::string Utf8FromWide(const wchar_t *text, size_t length) {
  return NarrowFromWide(CP_UTF8, std::wstring(text, length));
}

std::string SystemCodePageFromUtf8(const std::string &text) {
  return NarrowFromWide(CP_ACP, WideFromUtf8(text));
}
