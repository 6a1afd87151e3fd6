#pragma once

#include <string>

/// A new empty folder under the temporary folder, removed with everything in it when it goes.
class TScratchFolder {
public:
  /// Throws std::runtime_error when no folder can be made.
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder &) = delete;
  TScratchFolder &operator=(const TScratchFolder &) = delete;

  /// The full path of name inside the folder.
  std::string PathOf(const std::string &name) const;
  /// Writes text as the whole content of the file name inside the folder.
  void WriteFile(const std::string &name, const std::string &text) const;
  /// Copies an existing file into the folder under name.
  void CopyIn(const std::string &source, const std::string &name) const;

private:
  std::string fPath;
};
