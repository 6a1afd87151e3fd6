#pragma once

#include <optional>
#include <string>
#include <vector>

/// The temporary folder's path (UTF-8), ending in a backslash, read whole however long; "" when
/// there is none.
std::string TemporaryFolderPath();

/// While it lives, TMP and TEMP of this process name folder (UTF-8, any script), so that the
/// programs it starts, and what those start, take folder for their temporary folder; the
/// variables are as they were again when it goes.
class TTemporaryFolderOverride {
public:
  explicit TTemporaryFolderOverride(const std::string &folder);
  ~TTemporaryFolderOverride();
  TTemporaryFolderOverride(const TTemporaryFolderOverride &) = delete;
  TTemporaryFolderOverride &operator=(const TTemporaryFolderOverride &) = delete;

private:
  struct TSavedVariable {
    const wchar_t *Name;
    std::optional<std::wstring> Value; // nothing for a variable that was not set
  };
  std::vector<TSavedVariable> fSaved;
};
