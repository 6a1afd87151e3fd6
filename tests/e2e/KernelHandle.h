#pragma once

#include <windows.h>

#include <utility>

/// Owns a kernel handle (process, thread, file) and closes it when it goes. Move-only.
class TKernelHandle {
public:
  explicit TKernelHandle(HANDLE handle = nullptr) : fHandle(handle) {}
  ~TKernelHandle() {
    if (fHandle && fHandle != INVALID_HANDLE_VALUE)
      CloseHandle(fHandle);
  }
  TKernelHandle(TKernelHandle &&other) noexcept : fHandle(std::exchange(other.fHandle, nullptr)) {}
  TKernelHandle &operator=(TKernelHandle &&other) noexcept {
    std::swap(fHandle, other.fHandle);
    return *this;
  }
  TKernelHandle(const TKernelHandle &) = delete;
  TKernelHandle &operator=(const TKernelHandle &) = delete;

  HANDLE Get() const { return fHandle; }

private:
  HANDLE fHandle;
};
