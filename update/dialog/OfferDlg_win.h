#pragma once

#include "framework/win32/Button_win.h"
#include "framework/win32/Form_win.h"
#include "framework/win32/Label_win.h"
#include "framework/win32/Memo_win.h"
#include "update/dialog/UpdateView.h"

#include <string>

/// The offer of an update with its release notes: the question, the notes in an area that
/// scrolls, and Yes (the default), No (also Esc and the close box) and "Skip This Version",
/// apart at the left. In the system's message font, which has or links every script; as large
/// as is comfortable up to the work area of its owner's monitor, centred there.
class TOfferDlg : public TForm {
public:
  /// caption, question and notes are UTF-8; the notes' lines end in "\n".
  TOfferDlg(TComponent *owner, const std::string &caption, const std::string &question,
            const std::string &notes);

  TLabel &Question;
  TMemo &Notes;
  TButton &Skip;
  TButton &Yes;
  TButton &No;

  /// Shows the offer modally, in front with Yes focused, and returns the user's answer; the
  /// program's end declines it.
  TOfferAnswer Ask();

private:
  void PlaceOnMonitor();
  void Arrange(const std::string &question);
};
