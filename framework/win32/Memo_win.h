#pragma once

#include "framework/win32/Control_win.h"

/// A text to read, not to edit: many lines, wrapped at words, that scroll vertically, on the
/// colour of a window's text area. While it has the focus, Tab, Enter and Esc still work the
/// form, as they would in a message box.
class TMemo : public TControl {
public:
  TMemo(TComponent *owner, TForm &form, TBounds bounds);
  /// Shows caption, UTF-8, whose lines end in "\n" or "\r\n".
  void SetCaption(const std::string &caption) override;
  int BackgroundColor() const override { return COLOR_WINDOW; }
};
