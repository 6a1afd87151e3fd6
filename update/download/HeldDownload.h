#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// A finished download, held open from its end until it has been moved over the program or
/// deleted: others may read it and delete it, nobody may write it. Every check reads the file
/// while it is held, so what is installed is exactly what was checked. Never copied.
class THeldDownload {
public:
  /// Takes the hold on fileName; Held() tells whether it could be taken. A name that is a link
  /// (a reparse point, or one of several hard links) is never held.
  explicit THeldDownload(std::string fileName);
  /// A second hold on the very file that held holds, whatever has since become of its name,
  /// through a handle of its own: for a reader on another thread. Not held when held is not, or
  /// when no handle can be had.
  struct TSecondHold {};
  THeldDownload(const THeldDownload &held, TSecondHold);
  ~THeldDownload();
  THeldDownload(const THeldDownload &) = delete;
  THeldDownload &operator=(const THeldDownload &) = delete;

  bool Held() const { return fHandle != nullptr; }
  const std::string &FileName() const { return fFileName; }
  /// The open file: a Win32 HANDLE, or a FILE* elsewhere; nullptr when not held.
  void *Handle() const { return fHandle; }
  /// The file's length in bytes; 0 when it is not held.
  uint64_t Size() const;
  /// Reads size bytes at offset through the hold; false when the file does not hold them all.
  /// Each read names its offset, so that two holds on one file may read side by side.
  bool ReadAt(uint32_t offset, void *buffer, size_t size) const;
  /// Lets the file go, once it has been moved where it belongs.
  void Release();
  /// Deletes the file and lets it go; it is gone once nobody has it open.
  void Delete();

private:
  std::string fFileName;
  void *fHandle = nullptr;
};
