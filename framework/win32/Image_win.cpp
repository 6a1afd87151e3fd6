#include "framework/win32/Image_win.h"

#include "framework/win32/WindowClass_win.h"

namespace {

// A memory device context with one bitmap selected into it; both go back when it goes.
class TBitmapDC {
public:
  TBitmapDC(HDC compatible, HBITMAP bitmap)
      : fDC(CreateCompatibleDC(compatible)), fPrevious(SelectObject(fDC, bitmap)) {}
  ~TBitmapDC() {
    SelectObject(fDC, fPrevious);
    DeleteDC(fDC);
  }
  TBitmapDC(const TBitmapDC &) = delete;
  TBitmapDC &operator=(const TBitmapDC &) = delete;
  HDC Get() const { return fDC; }

private:
  HDC fDC;
  HGDIOBJ fPrevious;
};

} // namespace

TImage::TImage(TComponent *owner, TForm &form, TBounds bounds, int bitmapResource)
    : TControl(owner, form, RegisteredWindowClass({"TImage", WindowProc}), 0, bounds, ""),
      fBitmap(static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr),
                                              MAKEINTRESOURCEW(bitmapResource), IMAGE_BITMAP, 0, 0,
                                              LR_CREATEDIBSECTION))) {}

LRESULT CALLBACK TImage::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT)
    return DefWindowProcW(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (auto *image = reinterpret_cast<const TImage *>(GetWindowLongPtrW(window, GWLP_USERDATA)))
    image->Paint(dc);
  EndPaint(window, &paint);
  return 0;
}

// The mask is white where the picture has its transparent colour; the picture is XOR-ed in,
// the transparent part cleared back to the background, and XOR-ed again.
void TImage::Paint(HDC dc) const {
  BITMAP info;
  if (!fBitmap.Get() || !GetObjectW(fBitmap.Get(), sizeof info, &info))
    return;
  const int width = info.bmWidth;
  const int height = info.bmHeight;
  TBitmapDC picture(dc, fBitmap.Get());
  TGdiObject<HBITMAP> maskBitmap(CreateBitmap(width, height, 1, 1, nullptr));
  TBitmapDC mask(dc, maskBitmap.Get());
  SetBkColor(picture.Get(), GetPixel(picture.Get(), 0, height - 1));
  BitBlt(mask.Get(), 0, 0, width, height, picture.Get(), 0, 0, SRCCOPY);

  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  BitBlt(dc, 0, 0, width, height, picture.Get(), 0, 0, SRCINVERT);
  BitBlt(dc, 0, 0, width, height, mask.Get(), 0, 0, SRCAND);
  BitBlt(dc, 0, 0, width, height, picture.Get(), 0, 0, SRCINVERT);
}
