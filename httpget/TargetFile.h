#pragma once

#include <cstddef>
#include <string>

/// The target file of a file transfer, open for writing; closed when it goes. Move-only.
class TTargetFile {
public:
  /// Deletes whatever lies under fileName, then creates the file new, shared for reading only:
  /// a file planted there earlier keeps neither its content nor its owner and permissions, and
  /// nobody else writes while the transfer does. Throws std::runtime_error, having written
  /// nothing, when the old file cannot be deleted or the new one cannot be created.
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
