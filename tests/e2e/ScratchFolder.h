#pragma once

#include <string>
#include <vector>

/// Starts a Linux program, as a command line whose program is named on drive Z:; false when it
/// cannot be started. Whether it ran is for its effects to tell.
bool StartLinuxProgram(const std::string &commandLine);

/// A new empty folder, removed with every file in it when it goes. Its path and the names of
/// its files are UTF-8 and may be in any script.
class TScratchFolder {
public:
  /// In parent, a folder's path ending in a backslash, or else in the temporary folder; its
  /// name is namePrefix followed by a number of its own. Throws std::runtime_error when no
  /// folder can be made.
  explicit TScratchFolder(std::string parent = "", const std::string &namePrefix = "e2e-");
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder &) = delete;
  TScratchFolder &operator=(const TScratchFolder &) = delete;

  /// The folder's own name, which no other scratch folder has.
  std::string Name() const { return fPath.substr(fPath.find_last_of('\\') + 1); }
  /// The full path of name inside the folder.
  std::string PathOf(const std::string &name) const;
  /// Writes text as the whole content of the file name inside the folder.
  void WriteFile(const std::string &name, const std::string &text) const;
  /// Copies an existing file into the folder under name.
  void CopyIn(const std::string &source, const std::string &name) const;
  /// Whether a file name exists inside the folder.
  bool Exists(const std::string &name) const;
  /// The whole content of the file name inside the folder; throws std::runtime_error when it
  /// cannot be read.
  std::string ReadFile(const std::string &name) const;
  /// The folder's path as Linux names it; "" where there is no such name.
  std::string LinuxPath() const;
  /// The full path of name inside the folder through a second drive letter, as subst or a mapped
  /// network drive gives one: Wine's drive Z:, the Unix root. Throws std::runtime_error where
  /// there is none.
  std::string PathOnSecondDrive(const std::string &name) const;
  /// The names of the files in the folder.
  std::vector<std::string> FileNames() const;
  /// Makes the folder refuse new files, renames and deletions (access denied), or accept them
  /// again: chattr on its Linux path, as the tests' root user may. False when it did not take.
  bool SetImmutable(bool immutable);

private:
  std::string fPath;
  bool fImmutable = false;
};
