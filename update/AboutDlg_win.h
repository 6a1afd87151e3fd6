#pragma once

#include "framework/win32/Bevel_win.h"
#include "framework/win32/Button_win.h"
#include "framework/win32/Form_win.h"
#include "framework/win32/Image_win.h"
#include "framework/win32/Label_win.h"
#include "versinfo/VersionInfoResource.h"

/// The About box: the updater's picture, name, version and copyright, and a link to its
/// maker's home page. The version and the copyright come from the updater's own version
/// resource, through the version component. Closed with OK, hidden, kept by its owner.
class TAboutDlg : public TForm {
public:
  /// The maker's home page, which the link opens.
  static constexpr const char *kHomePage = "https://www.veltmark.example/quintarel/";

  explicit TAboutDlg(TComponent *owner);
  ~TAboutDlg() override;

  TButton &Button1;
  TzedVersionInfoResource *zedVersionInfoResource1 = nullptr; // created with the layout
  TLabel &Label1;
  TImage &Image1;
  TBevel &Bevel1;
  TLabel &Label2;
  TLabel &Version;
  TLabel &Writtenby;
  TLabel &Copyright;
  TBevel &Bevel2;
  TLabel &Label3;

  void Label3Click(TObject *sender);

private:
  void KeepVersionAfterItsLabel();
};

/// The About box created last; nullptr before the first and once it has gone.
extern TAboutDlg *AboutDlg;
