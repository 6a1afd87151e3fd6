#include "framework/win32/Memo_win.h"

#include "framework/win32/WideText_win.h"

#include <commctrl.h>

namespace {

// A multi-line edit asks for every key, so that Enter would break its line and Tab would indent
// it; read-only, it has no use for them, and the form's dialog handling gets them instead. Nor
// does a tab into it select the whole text, as it would for text meant to be replaced.
LRESULT CALLBACK LeaveKeysToTheForm(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR) {
  const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
  return message == WM_GETDLGCODE ? result & ~(DLGC_WANTALLKEYS | DLGC_HASSETSEL) : result;
}

} // namespace

// Without ES_AUTOHSCROLL or a horizontal scroll bar, the edit wraps its lines at words.
TMemo::TMemo(TComponent *owner, TForm &form, TBounds bounds)
    : TControl(owner, form, "EDIT",
               WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, bounds, "",
               WS_EX_CLIENTEDGE) {
  SetWindowSubclass(Handle(), LeaveKeysToTheForm, 0, 0);
}

// The edit ends its lines only at "\r\n"; a lone "\n" would show as a mark, or as nothing.
void TMemo::SetCaption(const std::string &caption) {
  const std::wstring text = WideFromUtf8(caption);
  std::wstring shown;
  shown.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r'))
      shown += L'\r';
    shown += text[i];
  }
  SetWindowTextW(Handle(), shown.c_str());
}
