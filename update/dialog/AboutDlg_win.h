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

  // The layout fixes these names.
  TButton &Button1;                                           // OK, which closes the box
  TzedVersionInfoResource *zedVersionInfoResource1 = nullptr; // created with the layout
  TLabel &Label1; // the program's name, "Quintarel", in bold
  TImage &Image1; // the updater's picture
  TBevel &Bevel1; // the frame around the picture
  TLabel &Label2; // "Version ", which the version number follows
  TLabel &Version;
  TLabel &Writtenby;
  TLabel &Copyright;
  TBevel &Bevel2; // the line between the texts and the maker's name
  TLabel &Label3; // the maker's name, a link to its home page

  void Label3Click(TObject *sender);

private:
  void KeepVersionAfterItsLabel();
};

/// The About box created last; nullptr before the first and once it has gone.
extern TAboutDlg *AboutDlg;
