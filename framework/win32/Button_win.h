#pragma once

#include "framework/win32/Control_win.h"

/// A push button; the default one is activated by Enter.
class TButton : public TControl {
public:
  TButton(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption,
          bool isDefault);

  TNotifyEvent OnClick;
  /// Set on the form when the button is clicked, which ends a modal display (IDOK, ...).
  int ModalResult = 0;

  void Command(WORD notification) override;
};
