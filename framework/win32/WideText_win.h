#pragma once

#include <string>

// Inside the program every text is UTF-8 in a std::string, whatever its script: paths, window
// texts, settings, version strings. The platform's wide calls take and give UTF-16, and these
// two helpers are the only crossings between the forms. Text that is not well formed comes
// across with U+FFFD in place of what cannot be converted.

/// text, UTF-8, as UTF-16 for the platform's wide calls.
std::wstring WideFromUtf8(const std::string &text);

/// length UTF-16 units of text, as UTF-8.
std::string Utf8FromWide(const wchar_t *text, size_t length);
inline std::string Utf8FromWide(const std::wstring &text) {
  return Utf8FromWide(text.data(), text.size());
}

/// text, UTF-8, in the system's ANSI code page, for what leaves the machine as it always has
/// (the HTTP user agent and addresses); what the code page cannot spell becomes '?'.
std::string SystemCodePageFromUtf8(const std::string &text);
