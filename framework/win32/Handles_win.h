#pragma once

#include <windows.h>

#include <utility>

/// Owns one handle and releases it with TRelease when it goes; an empty handle (nullptr) is
/// not released. Move-only.
template <class THandle, class TRelease> class TOwnedHandle {
public:
  explicit TOwnedHandle(THandle handle = nullptr) : fHandle(handle) {}
  ~TOwnedHandle() {
    if (fHandle)
      TRelease()(fHandle);
  }
  TOwnedHandle(TOwnedHandle &&other) noexcept : fHandle(std::exchange(other.fHandle, nullptr)) {}
  TOwnedHandle &operator=(TOwnedHandle &&other) noexcept {
    std::swap(fHandle, other.fHandle);
    return *this;
  }
  TOwnedHandle(const TOwnedHandle &) = delete;
  TOwnedHandle &operator=(const TOwnedHandle &) = delete;

  THandle Get() const { return fHandle; }

private:
  THandle fHandle;
};

struct TDestroyWindow {
  void operator()(HWND window) const { DestroyWindow(window); }
};
struct TDeleteGdiObject {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct TCloseKernelHandle {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// CreateFile fails with INVALID_HANDLE_VALUE, not with a null handle; that value is no file.
struct TCloseFileHandle {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE)
      CloseHandle(handle);
  }
};

/// A window, destroyed when it goes.
using TWindowHandle = TOwnedHandle<HWND, TDestroyWindow>;
/// A font, bitmap or brush, deleted when it goes.
template <class THandle> using TGdiObject = TOwnedHandle<THandle, TDeleteGdiObject>;
/// A process, thread or other kernel object, closed when it goes.
using TKernelHandle = TOwnedHandle<HANDLE, TCloseKernelHandle>;
/// A file opened by CreateFile, closed when it goes; a failed open holds INVALID_HANDLE_VALUE,
/// which is never closed.
using TFileHandle = TOwnedHandle<HANDLE, TCloseFileHandle>;
