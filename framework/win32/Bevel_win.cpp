#include "framework/win32/Bevel_win.h"

// The etched horizontal line keeps its control two pixels high, the line itself, at the top of
// the bounds, so that it covers nothing below.
TBevel::TBevel(TComponent *owner, TForm &form, TBounds bounds, TBevelShape shape)
    : TControl(owner, form, "STATIC", shape == bsFrame ? SS_ETCHEDFRAME : SS_ETCHEDHORZ, bounds,
               "") {}
