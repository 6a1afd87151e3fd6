#include "update/dialog/AboutDlg_win.h"
#include "update/dialog/UpdateWindow_win.h"

#include "framework/win32/Application_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Wine adds a separator and an "About Wine" entry of its own to system menus.
constexpr UINT kWineAboutCommand = SC_SCREENSAVE + 1;

struct TMenuEntry {
  UINT Id;
  bool Separator;
  std::string Text;
  bool operator==(const TMenuEntry &other) const {
    return Id == other.Id && Separator == other.Separator && Text == other.Text;
  }
};

void PrintTo(const TMenuEntry &entry, std::ostream *out) {
  *out << "{" << entry.Id << (entry.Separator ? " separator" : "") << " \"" << entry.Text << "\"}";
}

std::vector<TMenuEntry> EntriesOf(HMENU menu) {
  std::vector<TMenuEntry> entries;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    char text[64] = {};
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STRING | MIIM_STATE;
    item.dwTypeData = text;
    item.cch = sizeof text;
    EXPECT_TRUE(GetMenuItemInfoA(menu, i, TRUE, &item));
    if (item.wID == TUpdateWindow::IDM_ABOUT) {
      EXPECT_EQ(item.fState & (MFS_DISABLED | MFS_CHECKED), 0u) << "About... is enabled";
    }
    if (item.wID != kWineAboutCommand)
      entries.push_back({item.wID, (item.fType & MFT_SEPARATOR) != 0, text});
    else if (!entries.empty() && entries.back().Separator)
      entries.pop_back();
  }
  return entries;
}

// The bounds of a control in its form's client area.
RECT BoundsOf(const TControl &control) {
  RECT bounds;
  GetWindowRect(control.Handle(), &bounds);
  MapWindowPoints(nullptr, GetParent(control.Handle()), reinterpret_cast<POINT *>(&bounds), 2);
  return bounds;
}

void ExpectBounds(const TControl &control, int left, int top, int width, int height) {
  const RECT bounds = BoundsOf(control);
  EXPECT_EQ(bounds.left, left) << control.Name;
  EXPECT_EQ(bounds.top, top) << control.Name;
  EXPECT_EQ(bounds.right - bounds.left, width) << control.Name;
  EXPECT_EQ(bounds.bottom - bounds.top, height) << control.Name;
}

class UpdateWindow : public ::testing::Test {
protected:
  TUpdateWindow &window = Application().Own<TUpdateWindow>();
};

TEST_F(UpdateWindow, HasAFixedFrameCentredOnTheDesktop) {
  RECT client;
  GetClientRect(window.Handle(), &client);
  EXPECT_EQ(client.right, 376);
  EXPECT_EQ(client.bottom, 119);

  const LONG style = GetWindowLongA(window.Handle(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

  RECT frame;
  GetWindowRect(window.Handle(), &frame);
  EXPECT_NEAR(frame.left + frame.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(frame.top + frame.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
  EXPECT_EQ(GetWindowTextLengthA(window.Handle()), 0) << "the caption comes from the settings";
}

TEST_F(UpdateWindow, SystemMenuHoldsMoveASeparatorAndAbout) {
  const std::vector<TMenuEntry> entries = EntriesOf(GetSystemMenu(window.Handle(), FALSE));
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Id, static_cast<UINT>(SC_MOVE));
  EXPECT_TRUE(entries[1].Separator);
  EXPECT_EQ(entries[2], (TMenuEntry{0x1000, false, "About..."}));
}

TEST_F(UpdateWindow, PlacesItsControlsAsLaidOut) {
  ExpectBounds(window.Image1, 8, 6, 32, 32);
  ExpectBounds(window.Cancel, 291, 87, 75, 23);
  ExpectBounds(window.Progress, 8, 88, 273, 16);
  EXPECT_EQ(BoundsOf(window.Status).left, 48);
  EXPECT_EQ(BoundsOf(window.Status).top, 11);
  EXPECT_EQ(BoundsOf(window.DownloadStatus).left, 8);
  EXPECT_EQ(BoundsOf(window.DownloadStatus).top, 72);

  EXPECT_EQ(window.Status.Caption(), "Preparing to check for an update...");
  EXPECT_EQ(window.DownloadStatus.Caption(), "");
  EXPECT_EQ(window.Cancel.Caption(), "Cancel");
  EXPECT_EQ(window.Progress.Position(), 0);
  EXPECT_EQ(window.Progress.Maximum(), 100);
}

TEST_F(UpdateWindow, LabelsFitTheirWidthToTheirText) {
  const RECT before = BoundsOf(window.Status);
  window.SetStatus("Checking for update...");
  const RECT after = BoundsOf(window.Status);
  EXPECT_EQ(window.Status.Caption(), "Checking for update...");
  EXPECT_LT(after.right - after.left, before.right - before.left);
  EXPECT_GT(after.right - after.left, 0);
  EXPECT_EQ(after.bottom - after.top, 13);
}

TEST_F(UpdateWindow, UsesMsSansSerifOfEightPoints) {
  LOGFONTA font = {};
  auto handle = reinterpret_cast<HFONT>(SendMessageA(window.Status.Handle(), WM_GETFONT, 0, 0));
  ASSERT_TRUE(GetObjectA(handle, sizeof font, &font));
  EXPECT_STREQ(font.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(font.lfHeight, -11);
}

TEST_F(UpdateWindow, CancelIsTheDefaultButtonAndFirstInTabOrder) {
  EXPECT_EQ(GetNextDlgTabItem(window.Handle(), nullptr, FALSE), window.Cancel.Handle());
  const LRESULT defaultId = SendMessageA(window.Handle(), DM_GETDEFID, 0, 0);
  EXPECT_EQ(HIWORD(defaultId), DC_HASDEFID);
  EXPECT_EQ(LOWORD(defaultId), window.Cancel.Id());
  EXPECT_EQ(GetWindowLongA(window.Cancel.Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

TEST_F(UpdateWindow, ShowsAnHourglassOverTheProgressBarOnly) {
  const auto setCursorOver = [&](HWND over) {
    return SendMessageA(window.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(over),
                        MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  };
  EXPECT_TRUE(setCursorOver(window.Progress.Handle()));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_WAIT));
  setCursorOver(window.Handle());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  setCursorOver(window.Cancel.Handle());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
}

TEST_F(UpdateWindow, TheTitleNamesTheApplicationAndTheCaption) {
  window.SetTitle("Foo Updater...");
  EXPECT_EQ(Application().Title, "Foo Updater...");
  char caption[64] = {};
  GetWindowTextA(window.Handle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "Foo Updater...");
}

// Serves the window's messages, its timers among them, for longer than a drawing waits its turn.
void ServeMessagesForAWhile() {
  const ULONGLONG until = GetTickCount64() + 250;
  for (MSG message; GetTickCount64() < until; Sleep(5))
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&message);
}

// The bar takes the whole 32-bit range, so a file of almost 2 GiB still moves it; it is sent
// only the positions that change what it shows, at most every 100 ms and always the end.
TEST_F(UpdateWindow, TheBarFollowsEveryLengthUpTo2GiB) {
  RECT bar;
  GetClientRect(window.Progress.Handle(), &bar);
  const int32_t perPixel = 2147483647 / bar.right + 1;
  // The first position that fills half of the bar's pixels.
  const auto half =
      static_cast<int32_t>((int64_t{bar.right / 2} * 2147483647 + bar.right - 1) / bar.right);
  const struct {
    int32_t Maximum, Position, Shown;
  } rows[] = {{2000, 1000, 1000},
              {70000, 65537, 65537},
              {2147483647, half, half},
              {2147483647, half + perPixel / 2, half},
              {2147483647, half + perPixel, half + perPixel},
              {2147483647, 2147483646, 2147483646},
              {2147483647, 2147483647, 2147483647}};
  for (const auto &row : rows) {
    window.SetProgress(row.Maximum, row.Position);
    if (row.Position != row.Maximum)
      ServeMessagesForAWhile();
    EXPECT_EQ(window.Progress.Maximum(), row.Maximum);
    EXPECT_EQ(window.Progress.Position(), row.Shown) << row.Position << " of " << row.Maximum;
  }
  // Right after a drawing, a new position waits for its turn.
  const ULONGLONG drawn = GetTickCount64();
  window.SetProgress(2147483647, half);
  if (GetTickCount64() - drawn < 50) {
    EXPECT_EQ(window.Progress.Position(), 2147483647);
  }
  ServeMessagesForAWhile();
  EXPECT_EQ(window.Progress.Position(), half);
}

TEST_F(UpdateWindow, CancelAndCloseRequestsReachTheirHandlers) {
  struct THandlers : TObject {
    int Clicks = 0;
    bool LetClose = false;
    void CancelClick(TObject *) { ++Clicks; }
    void CloseQuery(TObject *, bool &canClose) { canClose = LetClose; }
  } handlers;
  window.ConnectUserActions(MethodOf<&THandlers::CancelClick>(&handlers),
                            MethodOf<&THandlers::CloseQuery>(&handlers));
  SendMessageA(window.Cancel.Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(handlers.Clicks, 1);
  window.Show();
  SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindowVisible(window.Handle())) << "a refused close keeps the window";
  handlers.LetClose = true;
  SendMessageA(window.Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(window.Handle()));

  window.DisableCancel();
  EXPECT_FALSE(IsWindowEnabled(window.Cancel.Handle()));
}

// The About box as laid out; what its labels show comes from the program's own version
// resource, which the end-to-end test reads with the real updater.exe.
TEST_F(UpdateWindow, LaysOutTheAboutBox) {
  const TAboutDlg &about = window.Own<TAboutDlg>();
  RECT client;
  GetClientRect(about.Handle(), &client);
  EXPECT_EQ(client.right, 242);
  EXPECT_EQ(client.bottom, 97);
  EXPECT_EQ(GetWindow(about.Handle(), GW_OWNER), window.Handle());
  EXPECT_FALSE(GetWindowLongA(about.Handle(), GWL_STYLE) & WS_SYSMENU) << "no close box";
  RECT frame;
  GetWindowRect(about.Handle(), &frame);
  EXPECT_EQ(frame.left, 10);
  EXPECT_EQ(frame.top, 10);

  ExpectBounds(about.Button1, 162, 71, 75, 23);
  ExpectBounds(about.Image1, 8, 7, 32, 32);
  ExpectBounds(about.Bevel1, 6, 4, 36, 36);
  EXPECT_EQ(about.Button1.ModalResult, IDOK);
  EXPECT_EQ(GetNextDlgTabItem(about.Handle(), nullptr, FALSE), about.Button1.Handle());
  LOGFONTA link = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(about.Label3.Handle(), WM_GETFONT, 0, 0)),
             sizeof link, &link);
  EXPECT_STREQ(link.lfFaceName, "Tahoma");
  EXPECT_EQ(link.lfHeight, -9);
  EXPECT_EQ(link.lfWeight, FW_BOLD);
  EXPECT_TRUE(link.lfUnderline);
  EXPECT_EQ(about.Label3.TextColor(), RGB(0, 0, 128));

  const TzedVersionInfoResource &resource = *about.zedVersionInfoResource1;
  EXPECT_EQ(resource.VersionLabel(), &about.Version);
  EXPECT_EQ(resource.CopyrightLabel(), &about.Copyright);
  EXPECT_EQ(resource.VersionListView(), nullptr);
  TPreDefs shown;
  for (const TPreDef entry :
       {pdCompanyName, pdFileDescription, pdInternalName, pdLegalTrademarks, pdOriginalFilename,
        pdProductName, pdProductVersion, pdComments, pdBuildFlags})
    shown.Include(entry);
  EXPECT_EQ(resource.ShowResource(), shown);
  EXPECT_EQ(resource.Filename(), "") << "the program's own file is read";
}

} // namespace
