#include "versinfo/VersionWindow_win.h"

namespace {

constexpr int kWidth = 360, kHeight = 200, kMargin = 8;
const TFormLayout kLayout = {
    "TVersionWindow", kWidth, kHeight, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, true,
    "MS Sans Serif",  -11};

} // namespace

TVersionWindow::TVersionWindow(TComponent *owner, const std::string &fileName)
    : TForm(owner, kLayout),
      List(Own<TListView>(*this,
                          TBounds{kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 2 * kMargin})),
      Resource(Own<TzedVersionInfoResource>()) {
  SetCaption("Version data - " + fileName.substr(fileName.find_last_of("/\\:") + 1));
  Resource.SetVersionListView(&List);
  Resource.SetFilename(fileName);
}
