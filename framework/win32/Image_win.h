#pragma once

#include "framework/win32/Control_win.h"

/// A picture from a bitmap resource, drawn transparent: the colour of its bottom-left pixel is
/// not drawn.
class TImage : public TControl {
public:
  TImage(TComponent *owner, TForm &form, TBounds bounds, int bitmapResource);

private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;

  TGdiObject<HBITMAP> fBitmap;
};
