#include "framework/win32/Button_win.h"

TButton::TButton(TComponent *owner, TForm &form, TBounds bounds, const std::string &caption,
                 bool isDefault)
    : TControl(owner, form, "BUTTON", WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
               bounds, caption) {
  if (isDefault)
    form.SetDefaultControl(Id());
}

void TButton::Command(WORD notification) {
  if (notification != BN_CLICKED)
    return;
  OnClick(this);
  if (ModalResult != 0)
    Form().ModalResult = ModalResult;
}
