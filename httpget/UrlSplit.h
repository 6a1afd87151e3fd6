#pragma once

#include <string>

struct TUrlParts {
  std::string HostName;
  std::string ObjectName;
  bool Secure = false; // the URL began with "https://"
};

/// Splits a URL: a leading "http://" or "https://" in any letter case is dropped, the latter
/// marking the parts Secure; the text before the first "/" is the host name, that "/" and the
/// rest the object name. Without a "/" the host name is empty and the whole rest is the object
/// name. A port or another scheme stays in the host name.
TUrlParts SplitUrl(const std::string &url);
