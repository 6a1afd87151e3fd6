#include "framework/win32/Form_win.h"

#include "framework/win32/Application_win.h"
#include "framework/win32/Control_win.h"

#include <stdexcept>

namespace {

int DisplayPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return pixelsPerInch;
}

void RegisterFormClass(const char *className) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(GetModuleHandleA(nullptr), className, &windowClass))
    return;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hIcon = LoadIconA(windowClass.hInstance, MAKEINTRESOURCEA(kProgramIcon));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
}

} // namespace

TForm::TForm(TComponent *owner, const TFormLayout &layout)
    : TComponent(owner), fPixelsPerInch(DisplayPixelsPerInch()) {
  RegisterFormClass(layout.ClassName);
  RECT frame = {0, 0, Scaled(layout.ClientWidth), Scaled(layout.ClientHeight)};
  AdjustWindowRectEx(&frame, layout.Style, FALSE, 0);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int left = CW_USEDEFAULT;
  int top = CW_USEDEFAULT;
  if (layout.CentreOnDesktop) {
    left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  HWND window = CreateWindowExA(0, layout.ClassName, "", layout.Style, left, top, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window)
    throw std::runtime_error("The window cannot be created");
  fWindow = TWindowHandle(window);
  SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  fFont =
      TGdiObject<HFONT>(CreateFontA(Scaled(layout.FontHeight), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                    FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, layout.FontName));
}

// The controls go first, while the window they live in still exists.
TForm::~TForm() {
  DestroyComponents();
  SetWindowLongPtrA(Handle(), GWLP_USERDATA, 0);
}

// Only the form's own child windows carry a TControl; the form itself carries the TForm.
TControl *TForm::ControlOf(HWND window) const {
  if (!window || GetParent(window) != Handle())
    return nullptr;
  return reinterpret_cast<TControl *>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int TForm::Scaled(int pixels) const { return MulDiv(pixels, fPixelsPerInch, 96); }

void TForm::SetCaption(const std::string &caption) { SetWindowTextA(Handle(), caption.c_str()); }

void TForm::Show() {
  ShowWindow(Handle(), SW_SHOW);
  if (HWND first = GetNextDlgTabItem(Handle(), nullptr, FALSE))
    SetFocus(first);
}

void TForm::Close() {
  if (Application().MainForm() == this)
    Application().Terminate();
  else
    ShowWindow(Handle(), SW_HIDE);
}

bool TForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::WMSysCommand(WPARAM command, LPARAM position) {
  DefWindowProcA(Handle(), WM_SYSCOMMAND, command, position);
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto *form = reinterpret_cast<TForm *>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!form)
    return DefWindowProcA(window, message, wParam, lParam);
  // Nothing may unwind through the window system.
  try {
    return form->HandleMessage(message, wParam, lParam);
  } catch (...) {
    Application().ShowException(std::current_exception());
    return 0;
  }
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_COMMAND:
    if (lParam)
      if (TControl *control = ControlOf(reinterpret_cast<HWND>(lParam)))
        control->Command(HIWORD(wParam));
    return 0;
  case DM_GETDEFID:
    return fDefaultControlId ? MAKELRESULT(fDefaultControlId, DC_HASDEFID) : 0;
  case WM_SETCURSOR:
    if (TControl *control = ControlOf(reinterpret_cast<HWND>(wParam)))
      if (control->Cursor) {
        SetCursor(control->Cursor);
        return TRUE;
      }
    break;
  case WM_SYSCOMMAND:
    WMSysCommand(wParam, lParam);
    return 0;
  case WM_CLOSE:
    if (CloseQuery())
      Close();
    return 0;
  }
  return DefWindowProcA(Handle(), message, wParam, lParam);
}
