#pragma once

#include <windows.h>

#include <utility>

/// Owns a window and destroys it when it goes. Move-only.
class TWindowHandle {
public:
  explicit TWindowHandle(HWND window = nullptr) : fWindow(window) {}
  ~TWindowHandle() {
    if (fWindow)
      DestroyWindow(fWindow);
  }
  TWindowHandle(TWindowHandle &&other) noexcept : fWindow(std::exchange(other.fWindow, nullptr)) {}
  TWindowHandle &operator=(TWindowHandle &&other) noexcept {
    std::swap(fWindow, other.fWindow);
    return *this;
  }
  TWindowHandle(const TWindowHandle &) = delete;

  HWND Get() const { return fWindow; }

private:
  HWND fWindow;
};

/// Owns a GDI object (font, bitmap, brush) and deletes it when it goes. Move-only.
template <class THandle> class TGdiObject {
public:
  explicit TGdiObject(THandle object = nullptr) : fObject(object) {}
  ~TGdiObject() {
    if (fObject)
      DeleteObject(fObject);
  }
  TGdiObject(TGdiObject &&other) noexcept : fObject(std::exchange(other.fObject, nullptr)) {}
  TGdiObject &operator=(TGdiObject &&other) noexcept {
    std::swap(fObject, other.fObject);
    return *this;
  }
  TGdiObject(const TGdiObject &) = delete;

  THandle Get() const { return fObject; }

private:
  THandle fObject;
};
