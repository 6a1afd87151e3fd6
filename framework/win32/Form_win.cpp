#include "framework/win32/Form_win.h"

#include "framework/win32/Application_win.h"
#include "framework/win32/Control_win.h"
#include "framework/win32/WideText_win.h"
#include "framework/win32/WindowClass_win.h"

#include <stdexcept>
#include <vector>

namespace {

int DisplayPixelsPerInch() {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return pixelsPerInch;
}

// The other windows of the thread that a modal form disables while it is up, enabled again when
// it ends, however it ends.
class TDisabledWindows {
public:
  explicit TDisabledWindows(HWND modal) : fModal(modal) {
    EnumThreadWindows(GetCurrentThreadId(), Disable, reinterpret_cast<LPARAM>(this));
  }
  ~TDisabledWindows() {
    for (HWND window : fDisabled)
      EnableWindow(window, TRUE);
  }
  TDisabledWindows(const TDisabledWindows &) = delete;
  TDisabledWindows &operator=(const TDisabledWindows &) = delete;

private:
  static BOOL CALLBACK Disable(HWND window, LPARAM self) {
    auto &windows = *reinterpret_cast<TDisabledWindows *>(self);
    if (window != windows.fModal && IsWindowEnabled(window)) {
      EnableWindow(window, FALSE);
      windows.fDisabled.push_back(window);
    }
    return TRUE;
  }

  HWND fModal;
  std::vector<HWND> fDisabled;
};

// The font of message boxes, already in the display's pixels. On Windows it is Segoe UI, which
// the system links to fonts of the scripts it lacks, CJK among them.
TGdiObject<HFONT> CreateMessageFont() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof metrics.lfMessageFont,
               &metrics.lfMessageFont);
  return TGdiObject<HFONT>(CreateFontIndirectW(&metrics.lfMessageFont));
}

} // namespace

TForm::TForm(TComponent *owner, const TFormLayout &layout)
    : TComponent(owner), fPixelsPerInch(DisplayPixelsPerInch()) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  const TWindowClass windowClass{
      layout.ClassName, WindowProc,
      layout.Icon ? LoadIconW(module, MAKEINTRESOURCEW(layout.Icon)) : nullptr,
      LoadCursorW(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
  RECT frame = {0, 0, Scaled(layout.ClientWidth), Scaled(layout.ClientHeight)};
  AdjustWindowRectEx(&frame, layout.Style, FALSE, layout.ExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  int left = CW_USEDEFAULT;
  int top = CW_USEDEFAULT;
  if (layout.CentreOnDesktop) {
    left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  }
  // The owner window keeps this one above it. The form rides along with the creation, so that
  // it sees every message from WM_NCCREATE on; WindowProc takes the window then.
  const auto *ownerForm = dynamic_cast<const TForm *>(owner);
  if (!CreateWindowExW(layout.ExStyle, WideFromUtf8(RegisteredWindowClass(windowClass)).c_str(),
                       L"", layout.Style, left, top, width, height,
                       ownerForm ? ownerForm->Handle() : nullptr, nullptr, module, this))
    throw std::runtime_error("The window cannot be created");
  fFont = layout.FontName ? CreateScaledFont(layout.FontName, layout.FontHeight, false, false)
                          : CreateMessageFont();
}

// The controls go first, while the window they live in still exists.
TForm::~TForm() {
  DestroyComponents();
  SetWindowLongPtrW(Handle(), GWLP_USERDATA, 0);
}

// Only the form's own child windows carry a TControl; the form itself carries the TForm.
TControl *TForm::ControlOf(HWND window) const {
  if (!window || GetParent(window) != Handle())
    return nullptr;
  return reinterpret_cast<TControl *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

int TForm::Scaled(int pixels) const { return MulDiv(pixels, fPixelsPerInch, 96); }

TGdiObject<HFONT> TForm::CreateScaledFont(const char *name, int height, bool bold,
                                          bool underline) const {
  return TGdiObject<HFONT>(CreateFontW(Scaled(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE,
                                       underline, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_DONTCARE, WideFromUtf8(name).c_str()));
}

void TForm::SetCaption(const std::string &caption) {
  SetWindowTextW(Handle(), WideFromUtf8(caption).c_str());
}

void TForm::Show() {
  ShowWindow(Handle(), SW_SHOW);
  HWND focus = fDefaultControlId ? GetDlgItem(Handle(), fDefaultControlId) : nullptr;
  if (!focus || !IsWindowEnabled(focus))
    focus = GetNextDlgTabItem(Handle(), nullptr, FALSE);
  if (focus)
    SetFocus(focus);
}

void TForm::Close() {
  if (fModal)
    ModalResult = IDCANCEL;
  else if (OnClosingEnds.Assigned())
    OnClosingEnds(this);
  else
    ShowWindow(Handle(), SW_HIDE);
}

// A request to quit ends the loop and is posted again, so that it still ends the main loop.
// Calls from workers are served meanwhile, since they arrive as messages. The other windows are
// enabled again before this one hides, so that the window system can activate one of them.
// The window that waits for an answer asks for the foreground, which the system grants a
// program that has it or was just started by the one that has it, and otherwise flashes its
// button in the task bar.
int TForm::ShowModal() {
  const HWND active = GetActiveWindow();
  {
    const TDisabledWindows disabled(Handle());
    fModal = true;
    ModalResult = 0;
    Show();
    SetForegroundWindow(Handle());
    MSG message;
    while (ModalResult == 0) {
      const BOOL taken = GetMessageW(&message, nullptr, 0, 0);
      if (taken == 0)
        PostQuitMessage(static_cast<int>(message.wParam));
      if (taken <= 0)
        break;
      if (!IsDialogMessageW(Handle(), &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
    fModal = false;
  }
  ShowWindow(Handle(), SW_HIDE);
  if (active && IsWindow(active))
    SetActiveWindow(active);
  return ModalResult;
}

bool TForm::CloseQuery() {
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TForm::WMSysCommand(WPARAM command, LPARAM position) {
  DefWindowProcW(Handle(), WM_SYSCOMMAND, command, position);
}

void TForm::WMTimer(UINT_PTR) {}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto *created = static_cast<TForm *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
    created->fWindow = TWindowHandle(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto *form = reinterpret_cast<TForm *>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form)
    return DefWindowProcW(window, message, wParam, lParam);
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
    if (lParam) {
      if (TControl *control = ControlOf(reinterpret_cast<HWND>(lParam)))
        control->Command(HIWORD(wParam));
    } else if (LOWORD(wParam) == IDCANCEL && fCancelControlId) {
      // Esc: IsDialogMessage names IDCANCEL, which no control of a form has.
      const HWND cancel = GetDlgItem(Handle(), fCancelControlId);
      if (TControl *control = ControlOf(cancel); control && IsWindowEnabled(cancel))
        control->Command(BN_CLICKED);
    }
    return 0;
  case WM_CTLCOLORSTATIC:
    if (TControl *control = ControlOf(reinterpret_cast<HWND>(lParam))) {
      const COLORREF color = control->TextColor();
      const int background = control->BackgroundColor();
      if (color != CLR_INVALID || background != COLOR_BTNFACE) {
        const auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, color != CLR_INVALID ? color : GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(dc, GetSysColor(background));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
      }
    }
    break;
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
  case WM_TIMER:
    WMTimer(wParam);
    return 0;
  case WM_CLOSE:
    if (CloseQuery())
      Close();
    return 0;
  case WM_ENDSESSION:
    if (wParam)
      OnSessionEnds(this);
    return 0;
  }
  return DefWindowProcW(Handle(), message, wParam, lParam);
}
