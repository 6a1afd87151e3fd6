#pragma once

#include "framework/win32/Form_win.h"
#include "framework/win32/ListView_win.h"
#include "versinfo/VersionInfoResource.h"

/// A small window that lists the version data of one file, as the version component's list
/// view shows it.
class TVersionWindow : public TForm {
public:
  TVersionWindow(TComponent *owner, const std::string &fileName);

  TListView &List;
  TzedVersionInfoResource &Resource;
};
