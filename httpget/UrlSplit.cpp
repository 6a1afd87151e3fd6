#include "httpget/UrlSplit.h"

#include <cctype>

namespace {

bool StartsWithScheme(const std::string &url, const std::string &scheme) {
  if (url.size() < scheme.size())
    return false;
  for (size_t i = 0; i < scheme.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(url[i])) != scheme[i])
      return false;
  return true;
}

} // namespace

TUrlParts SplitUrl(const std::string &url) {
  const bool secure = StartsWithScheme(url, "https://");
  const std::string rest = secure                             ? url.substr(8)
                           : StartsWithScheme(url, "http://") ? url.substr(7)
                                                              : url;
  const size_t slash = rest.find('/');
  if (slash == std::string::npos)
    return {"", rest, secure};
  return {rest.substr(0, slash), rest.substr(slash), secure};
}
