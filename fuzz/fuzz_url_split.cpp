// A URL from the settings file: the split drops exactly the http:// or https:// prefix (any
// letter case), loses and adds nothing, and is Secure exactly for https.
#include "httpget/UrlSplit.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool StartsWithNoCase(const std::string &text, const std::string &prefix) {
  if (text.size() < prefix.size())
    return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
      return false;
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string url(reinterpret_cast<const char *>(data), size);
  const bool secure = StartsWithNoCase(url, "https://");
  const size_t prefix = secure ? 8 : StartsWithNoCase(url, "http://") ? 7 : 0;
  const TUrlParts parts = SplitUrl(url);
  if (parts.HostName + parts.ObjectName != url.substr(prefix) || parts.Secure != secure)
    abort();
  // The host name ends where the object name's "/" begins.
  if (parts.HostName.find('/') != std::string::npos ||
      (!parts.HostName.empty() && parts.ObjectName.compare(0, 1, "/") != 0))
    abort();
  return 0;
}
