#include "drivers/ScreenCapture.h"

#include "drivers/WholeFile.h"

#include <memory>
#include <stdexcept>
#include <type_traits>

namespace {

struct TScreenDcRelease {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct TDcDelete {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct TGdiDelete {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using TScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, TScreenDcRelease>;
using TMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, TDcDelete>;
using TBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, TGdiDelete>;

bool WriteBmp(const std::string &path, int width, int height, const void *pixels,
              DWORD pixelBytes) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42; // "BM"
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + pixelBytes;
  std::string file(reinterpret_cast<const char *>(&header), sizeof header);
  file.append(reinterpret_cast<const char *>(&info), sizeof info);
  file.append(static_cast<const char *>(pixels), pixelBytes);
  try {
    WriteWholeFile(path, file);
    return true;
  } catch (const std::runtime_error &) {
    return false;
  }
}

} // namespace

bool SaveScreenArea(const RECT &area, const std::string &path) {
  const TScreenDc screen(GetDC(nullptr));
  if (!screen)
    return false;
  const RECT whole{0, 0, GetDeviceCaps(screen.get(), HORZRES),
                   GetDeviceCaps(screen.get(), VERTRES)};
  RECT shown;
  if (!IntersectRect(&shown, &area, &whole))
    return false;
  const int width = shown.right - shown.left;
  const int height = shown.bottom - shown.top;

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = height; // bottom-up, as a BMP file stores its rows
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 24;
  format.bmiHeader.biCompression = BI_RGB;
  void *pixels = nullptr;
  const TBitmap bitmap(
      CreateDIBSection(screen.get(), &format, DIB_RGB_COLORS, &pixels, nullptr, 0));
  const TMemoryDc memory(CreateCompatibleDC(screen.get()));
  if (!bitmap || !memory)
    return false;
  const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
  const bool copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), shown.left, shown.top,
                             SRCCOPY | CAPTUREBLT);
  SelectObject(memory.get(), previous);
  GdiFlush();
  const DWORD rowBytes = (width * 3 + 3) & ~3u; // rows are padded to whole DWORDs
  return copied && WriteBmp(path, width, height, pixels, rowBytes * height);
}
