#include "update/offer/VersionFile.h"

#include "framework/IntegerSyntax.h"

std::string CanonicalVersionText(const std::string &body) { return std::to_string(StrToInt(body)); }

// std::string compares through char_traits<char>, which orders bytes as unsigned char.
bool OffersUpdate(const std::string &currentVersion, const std::string &latestVersion) {
  return currentVersion < latestVersion;
}

// Pascal's notation for a character string: printable runs in quotes, a quote in them doubled,
// control characters as #code between the runs.
std::string QuotedForMessage(const std::string &body) {
  std::string text;
  bool inQuotes = false;
  for (const char c : body) {
    const auto code = static_cast<unsigned char>(c);
    const bool control = code < 32 || code == 127;
    if (control == inQuotes) {
      text += '\'';
      inQuotes = !inQuotes;
    }
    if (control)
      text += '#' + std::to_string(code);
    else
      text.append(c == '\'' ? 2 : 1, c);
  }
  if (inQuotes)
    text += '\'';
  return text.empty() ? "''" : text;
}
