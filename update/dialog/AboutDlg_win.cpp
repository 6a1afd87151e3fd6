#include "update/dialog/AboutDlg_win.h"

#include "framework/win32/WideText_win.h"
#include "update/Resources.h"

#include <shellapi.h>

TAboutDlg *AboutDlg = nullptr;

namespace {

// A dialog frame with a caption bar and no system menu. The layout places it at 10, 10 on the
// screen, where the constructor moves it once its size is known.
const TFormLayout kLayout = {"TAboutDlg",
                             242,
                             97,
                             WS_POPUP | WS_CAPTION | DS_MODALFRAME,
                             WS_EX_DLGMODALFRAME,
                             false,
                             "MS Sans Serif",
                             -11,
                             IDI_UPDATER};
constexpr COLORREF kNavy = RGB(0, 0, 128);

} // namespace

TAboutDlg::TAboutDlg(TComponent *owner)
    : TForm(owner, kLayout), Button1(Own<TButton>(*this, TBounds{162, 71, 75, 23}, "OK", true)),
      Label1(Own<TLabel>(*this, TBounds{48, 4, 68, 13}, "Quintarel")),
      Image1(Own<TImage>(*this, TBounds{8, 7, 32, 32}, IDB_PICTURE)),
      Bevel1(Own<TBevel>(*this, TBounds{6, 4, 36, 36}, bsFrame)),
      Label2(Own<TLabel>(*this, TBounds{48, 18, 38, 13}, "Version ")),
      Version(Own<TLabel>(*this, TBounds{88, 18, 29, 13}, "x.x.x.x")),
      Writtenby(Own<TLabel>(*this, TBounds{48, 32, 128, 13}, "Written by the Veltmark team")),
      Copyright(Own<TLabel>(*this, TBounds{48, 46, 72, 13}, "Copyright xxxxx")),
      Bevel2(Own<TBevel>(*this, TBounds{3, 64, 237, 8}, bsTopLine)),
      Label3(Own<TLabel>(*this, TBounds{18, 78, 121, 11}, "Veltmark Development")) {
  SetCaption("About...");
  Button1.ModalResult = IDOK;
  Label1.SetFont("MS Sans Serif", -11, true, false, GetSysColor(COLOR_WINDOWTEXT));
  Label3.SetFont("Tahoma", -9, true, true, kNavy);
  Label3.Cursor = LoadCursorW(nullptr, IDC_HAND);
  Label3.OnClick = MethodOf<&TAboutDlg::Label3Click>(this);
  // The component fills Version and Copyright once the layout has been read.
  ReadState([this] {
    zedVersionInfoResource1 = &Own<TzedVersionInfoResource>();
    zedVersionInfoResource1->Name = "zedVersionInfoResource1";
    zedVersionInfoResource1->SetFileVersionLabel(&Version);
    zedVersionInfoResource1->SetCopyrightLabel(&Copyright);
    TPreDefs shown;
    for (const TPreDef entry :
         {pdCompanyName, pdFileDescription, pdInternalName, pdLegalTrademarks, pdOriginalFilename,
          pdProductName, pdProductVersion, pdComments, pdBuildFlags})
      shown.Include(entry);
    zedVersionInfoResource1->SetShowResource(shown);
  });
  KeepVersionAfterItsLabel();
  SetWindowPos(Handle(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Where the font that stands in for MS Sans Serif is wider than the layout's, "Version " would
// run under the number; the number then follows it instead.
void TAboutDlg::KeepVersionAfterItsLabel() {
  RECT label, number;
  GetWindowRect(Label2.Handle(), &label);
  GetWindowRect(Version.Handle(), &number);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT *>(&label), 2);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT *>(&number), 2);
  if (number.left < label.right)
    SetWindowPos(Version.Handle(), nullptr, label.right, number.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TAboutDlg::~TAboutDlg() {
  if (AboutDlg == this)
    AboutDlg = nullptr;
}

void TAboutDlg::Label3Click(TObject *) {
  ShellExecuteW(Handle(), L"open", WideFromUtf8(kHomePage).c_str(), nullptr, nullptr, SW_SHOW);
}
