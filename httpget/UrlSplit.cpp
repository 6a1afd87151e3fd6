#include "httpget/UrlSplit.h"

#include <cctype>

namespace {

bool StartsWithHttpScheme(const std::string &url) {
  static const char kScheme[] = "http://";
  if (url.size() < sizeof kScheme - 1)
    return false;
  for (size_t i = 0; i < sizeof kScheme - 1; ++i)
    if (std::tolower(static_cast<unsigned char>(url[i])) != kScheme[i])
      return false;
  return true;
}

} // namespace

TUrlParts SplitUrl(const std::string &url) {
  const std::string rest = StartsWithHttpScheme(url) ? url.substr(7) : url;
  const size_t slash = rest.find('/');
  if (slash == std::string::npos)
    return {"", rest};
  return {rest.substr(0, slash), rest.substr(slash)};
}
