#include "update/dialog/OfferDlg_win.h"

#include "framework/win32/WideText_win.h"

#include <algorithm>

namespace {

// The font is the system's message font, not one named here.
const TFormLayout kLayout = {
    "TOfferDlg",         480,   360,     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
    WS_EX_DLGMODALFRAME, false, nullptr, 0};
// Spacing of Windows' own dialogs, at 96 pixels per inch.
constexpr int kMargin = 11, kGap = 7, kButtonWidth = 75, kButtonHeight = 23;
constexpr int kSkipVersion = 0x100; // a modal result apart from IDOK..IDCONTINUE

// The size of text in the form's font, in the display's pixels: on one line, or wrapped at
// width.
SIZE TextSize(const TForm &form, const std::string &text, int width = 0) {
  HDC dc = GetDC(form.Handle());
  HGDIOBJ previous = SelectObject(dc, form.Font());
  const std::wstring wide = WideFromUtf8(text);
  RECT bounds = {0, 0, width, 0};
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &bounds,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (width > 0 ? DT_WORDBREAK : 0));
  SelectObject(dc, previous);
  ReleaseDC(form.Handle(), dc);
  return {bounds.right, bounds.bottom};
}

} // namespace

// Yes comes before No and Skip in the tab order only through the focus it gets first: the order
// itself is the order of reading, the notes first.
TOfferDlg::TOfferDlg(TComponent *owner, const std::string &caption, const std::string &question,
                     const std::string &notes)
    : TForm(owner, kLayout), Question(Own<TLabel>(*this, TBounds{0, 0, 0, 0}, question)),
      Notes(Own<TMemo>(*this, TBounds{0, 0, 0, 0})),
      Skip(Own<TButton>(*this, TBounds{0, 0, 0, 0}, "&Skip This Version", false)),
      Yes(Own<TButton>(*this, TBounds{0, 0, 0, 0}, "&Yes", true)),
      No(Own<TButton>(*this, TBounds{0, 0, 0, 0}, "&No", false)) {
  Question.Name = "Question";
  Notes.Name = "Notes";
  Skip.Name = "Skip";
  Yes.Name = "Yes";
  No.Name = "No";
  SetCaption(caption);
  Notes.SetCaption(notes);
  Yes.ModalResult = IDYES;
  No.ModalResult = IDNO;
  Skip.ModalResult = kSkipVersion;
  SetCancelControl(No.Id());
  PlaceOnMonitor();
  Arrange(question);
}

// The offer opens where the user looks, over the update dialog; on a small screen, or one
// magnified, it takes the monitor's work area and no more, so that its buttons stay on screen.
void TOfferDlg::PlaceOnMonitor() {
  const HWND owner = GetWindow(Handle(), GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT &work = monitor.rcWork;
  RECT frame = {0, 0, Scaled(kLayout.ClientWidth), Scaled(kLayout.ClientHeight)};
  AdjustWindowRectEx(&frame, kLayout.Style, FALSE, kLayout.ExStyle);
  const int width = std::min(frame.right - frame.left, work.right - work.left);
  const int height = std::min(frame.bottom - frame.top, work.bottom - work.top);
  SetWindowPos(Handle(), nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

// Laid out in the client area the window got: the question wrapped across the top, the buttons
// along the bottom, sized to their captions where the user's font is larger than the usual, and
// the notes between them.
void TOfferDlg::Arrange(const std::string &question) {
  RECT client;
  GetClientRect(Handle(), &client);
  const int margin = Scaled(kMargin), gap = Scaled(kGap);
  const int width = std::max(0, static_cast<int>(client.right) - 2 * margin);
  const SIZE questionSize = TextSize(*this, question, width);
  MoveWindow(Question.Handle(), margin, margin, width, questionSize.cy, TRUE);

  const int lineHeight = TextSize(*this, "Ag").cy;
  const int buttonHeight = std::max(Scaled(kButtonHeight), lineHeight + Scaled(kGap));
  const int buttonTop = client.bottom - margin - buttonHeight;
  const auto buttonWidth = [&](const TButton &button) {
    return std::max(Scaled(kButtonWidth),
                    static_cast<int>(TextSize(*this, button.Caption()).cx) + Scaled(2 * kMargin));
  };
  const int noWidth = buttonWidth(No), yesWidth = buttonWidth(Yes);
  MoveWindow(No.Handle(), client.right - margin - noWidth, buttonTop, noWidth, buttonHeight, TRUE);
  MoveWindow(Yes.Handle(), client.right - margin - noWidth - gap - yesWidth, buttonTop, yesWidth,
             buttonHeight, TRUE);
  MoveWindow(Skip.Handle(), margin, buttonTop, buttonWidth(Skip), buttonHeight, TRUE);

  const int notesTop = margin + questionSize.cy + gap;
  MoveWindow(Notes.Handle(), margin, notesTop, width, std::max(0, buttonTop - margin - notesTop),
             TRUE);
}

TOfferAnswer TOfferDlg::Ask() {
  switch (ShowModal()) {
  case IDYES:
    return TOfferAnswer::Download;
  case kSkipVersion:
    return TOfferAnswer::SkipVersion;
  default: // No, Esc, the close box, the program's end
    return TOfferAnswer::Decline;
  }
}
