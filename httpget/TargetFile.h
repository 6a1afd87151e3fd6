#pragma once

#include <cstddef>
#include <string>

/// The target file of a file transfer, open for writing; closed when it goes. Move-only.
class TTargetFile {
public:
  /// Creates the file, or truncates an existing one to zero length, shared for reading and
  /// writing. Throws std::runtime_error when that fails.
  static TTargetFile Create(const std::string &fileName);
  ~TTargetFile();
  TTargetFile(TTargetFile &&other) noexcept;
  TTargetFile &operator=(TTargetFile &&) = delete;
  TTargetFile(const TTargetFile &) = delete;

  /// Writes size bytes at once; throws std::runtime_error when not all were written.
  void Write(const char *data, size_t size);

private:
  explicit TTargetFile(void *handle) : fHandle(handle) {}
  void *fHandle; // a Win32 HANDLE or a FILE*, by platform; nullptr once moved from
};
