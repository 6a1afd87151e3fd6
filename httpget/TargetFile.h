#pragma once

#include <cstddef>
#include <string>

/// The target file of a file transfer, open for writing; closed when it goes. Move-only.
class TTargetFile {
public:
  /// Deletes whatever lies under fileName, then creates the file new, shared for reading and
  /// deletion only: a file planted there earlier keeps neither its content nor its owner and
  /// permissions, nobody else writes while the transfer does, and a transfer given up can still
  /// be deleted (it goes once the file is closed). Throws std::runtime_error, having written
  /// nothing, when the old file cannot be deleted or the new one cannot be created.
  static TTargetFile Create(const std::string &fileName);
  ~TTargetFile();
  TTargetFile(TTargetFile &&other) noexcept;
  TTargetFile &operator=(TTargetFile &&) = delete;
  TTargetFile(const TTargetFile &) = delete;

  /// Writes size bytes at once; throws std::runtime_error when not all were written.
  void Write(const char *data, size_t size);
  /// Empties the file, for a transfer that starts again from its first byte: it stays the file
  /// that Create made, held as it was. Throws std::runtime_error when the system cannot.
  void Truncate();
  /// Puts what was written on the disk itself, so that it survives a power cut; throws
  /// std::runtime_error when the system cannot.
  void Flush();

private:
  explicit TTargetFile(void *handle) : fHandle(handle) {}
  void *fHandle; // a Win32 HANDLE or a FILE*, by platform; nullptr once moved from
};
