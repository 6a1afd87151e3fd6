#pragma once

#include "framework/win32/Control_win.h"

enum TBevelShape { bsFrame, bsTopLine };

/// An etched line or frame that groups or separates controls.
class TBevel : public TControl {
public:
  TBevel(TComponent *owner, TForm &form, TBounds bounds, TBevelShape shape);
};
