#include "framework/win32/Application_win.h"
#include "framework/win32/Bevel_win.h"
#include "framework/win32/Button_win.h"
#include "framework/win32/Label_win.h"
#include "framework/win32/ListView_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const TFormLayout kLayout = {
    "TWidgetTestForm", 300, 200, WS_POPUP | WS_CAPTION | DS_MODALFRAME, WS_EX_DLGMODALFRAME, false,
    "MS Sans Serif",   -11};

class TWidgetForm : public TForm {
public:
  explicit TWidgetForm(TComponent *owner)
      : TForm(owner, kLayout), List(Own<TListView>(*this, TBounds{8, 8, 200, 80})),
        Line(Own<TBevel>(*this, TBounds{8, 96, 284, 40}, bsTopLine)),
        Plain(Own<TLabel>(*this, TBounds{8, 104, 50, 13}, "Plain")),
        Link(Own<TLabel>(*this, TBounds{8, 120, 50, 13}, "http://127.0.0.1/")),
        Ok(Own<TButton>(*this, TBounds{217, 168, 75, 23}, "OK", true)) {
    Ok.ModalResult = IDOK;
  }
  TListView &List;
  TBevel &Line;
  TLabel &Plain, &Link;
  TButton &Ok;
};

// Records what the event handlers saw.
struct THandlers : TObject {
  HWND Owner = nullptr;
  std::vector<TObject *> Clicks;
  std::vector<bool> OwnerEnabled;
  void Click(TObject *sender) { Clicks.push_back(sender); }
  void OkClick(TObject *) { OwnerEnabled.push_back(IsWindowEnabled(Owner) != FALSE); }
  void Quit(TObject *) { PostQuitMessage(7); }
};

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }

class Widgets : public ::testing::Test {
protected:
  TWidgetForm &form = Application().Own<TWidgetForm>();
};

// Each round starts from a cleared list; the long text is longer than a first read takes.
TEST_F(Widgets, TheListHoldsWhatWasAddedSinceItWasCleared) {
  form.List.SetViewStyleReport();
  const std::string longText(300, 'x');
  const struct {
    std::vector<std::pair<std::string, int>> Columns;
    std::vector<std::vector<std::string>> Rows; // caption, then the sub-items
  } rounds[] = {
      {{{"Name", 80}, {"Version", 50}, {"Notes", TListView::kAutoWidth}},
       {{"updater.exe", "1.2", "current"}, {"readme.txt", "", longText}}},
      {{{"Only", 120}}, {{"one"}, {"two"}, {"three"}}},
      {{}, {}},
  };
  for (const auto &round : rounds) {
    form.List.Clear();
    for (const auto &[caption, width] : round.Columns)
      form.List.AddColumn(caption, width);
    for (const auto &row : round.Rows)
      form.List.AddItem(row[0], {row.begin() + 1, row.end()});
    ASSERT_EQ(form.List.ColumnCount(), static_cast<int>(round.Columns.size()));
    for (int c = 0; c < form.List.ColumnCount(); ++c) {
      EXPECT_EQ(form.List.ColumnCaption(c), round.Columns[c].first);
      if (round.Columns[c].second > 0) {
        EXPECT_EQ(SendMessageA(form.List.Handle(), LVM_GETCOLUMNWIDTH, c, 0),
                  form.Scaled(round.Columns[c].second));
      }
    }
    ASSERT_EQ(form.List.ItemCount(), static_cast<int>(round.Rows.size()));
    for (size_t i = 0; i < round.Rows.size(); ++i)
      for (size_t s = 0; s < round.Rows[i].size(); ++s)
        EXPECT_EQ(form.List.ItemText(static_cast<int>(i), static_cast<int>(s)), round.Rows[i][s])
            << "item " << i << ", field " << s;
  }
}

TEST_F(Widgets, StyleChangesKeepTheOtherStyles) {
  const LONG kept = LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP | WS_VISIBLE;
  form.List.SetViewStyleReport();
  for (const bool on : {false, true}) {
    form.List.SetReadOnly(on);
    form.List.SetColumnClick(on);
    EXPECT_EQ(StyleOf(form.List.Handle()) & (LVS_TYPEMASK | LVS_EDITLABELS | LVS_NOSORTHEADER),
              LVS_REPORT | (on ? 0 : LVS_EDITLABELS | LVS_NOSORTHEADER));
    EXPECT_EQ(StyleOf(form.List.Handle()) & kept, kept);
  }

  EXPECT_EQ(StyleOf(form.Line.Handle()) & SS_TYPEMASK, SS_ETCHEDHORZ);
  RECT line;
  GetWindowRect(form.Line.Handle(), &line);
  MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT *>(&line), 2);
  EXPECT_EQ(line.top, form.Scaled(96));
  EXPECT_EQ(line.bottom - line.top, 2) << "one etched line, covering nothing below it";
}

// The label's font is its own and its width fits the text in that font; the colour reaches
// its text through the form, while the plain label keeps the system's. A click reaches it.
TEST_F(Widgets, ALabelDrawsInItsOwnFontAndColourAndTakesClicks) {
  form.Link.SetFont("Arial", -13, true, true, RGB(0, 0, 255));
  const auto font = reinterpret_cast<HFONT>(SendMessageA(form.Link.Handle(), WM_GETFONT, 0, 0));
  LOGFONTA shape = {};
  ASSERT_TRUE(GetObjectA(font, sizeof shape, &shape));
  EXPECT_STREQ(shape.lfFaceName, "Arial");
  EXPECT_EQ(shape.lfHeight, form.Scaled(-13));
  EXPECT_EQ(shape.lfWeight, FW_BOLD);
  EXPECT_TRUE(shape.lfUnderline);

  const HWND link = form.Link.Handle();
  HDC dc = GetDC(link);
  SelectObject(dc, font);
  SIZE text = {};
  GetTextExtentPoint32A(dc, "http://127.0.0.1/", 17, &text);
  RECT bounds;
  GetClientRect(link, &bounds);
  EXPECT_EQ(bounds.right, text.cx);

  const struct {
    const TLabel &Label;
    COLORREF Color;
  } labels[] = {{form.Link, RGB(0, 0, 255)}, {form.Plain, GetSysColor(COLOR_WINDOWTEXT)}};
  for (const auto &row : labels) {
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush =
        SendMessageA(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(row.Label.Handle()));
    EXPECT_EQ(GetTextColor(dc), row.Color) << row.Label.Caption();
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
  }
  ReleaseDC(link, dc);

  THandlers handlers;
  form.Link.OnClick = MethodOf<&THandlers::Click>(&handlers);
  SendMessageA(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageA(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(handlers.Clicks, std::vector<TObject *>{&form.Link});
}

// The box stays above the form that owns it, which is disabled while the box is up; closing
// it cancels it; the end of the program ends it too and still ends the main loop afterwards.
TEST_F(Widgets, AModalBoxEndsByItsButtonByClosingOrByTheProgramsEnd) {
  TWidgetForm &box = form.Own<TWidgetForm>();
  EXPECT_EQ(GetWindow(box.Handle(), GW_OWNER), form.Handle());
  EXPECT_TRUE(GetWindowLongA(box.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  THandlers handlers;
  handlers.Owner = form.Handle();
  box.Ok.OnClick = MethodOf<&THandlers::OkClick>(&handlers);
  box.Link.OnClick = MethodOf<&THandlers::Quit>(&handlers);
  form.Show();
  const struct {
    HWND Target;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
    int Result;
    bool Quit;
  } rows[] = {
      {box.Ok.Handle(), BM_CLICK, 0, 0, IDOK, false},
      {box.Handle(), WM_CLOSE, 0, 0, IDCANCEL, false},
      {box.Handle(), WM_COMMAND, MAKEWPARAM(box.Link.Id(), STN_CLICKED),
       reinterpret_cast<LPARAM>(box.Link.Handle()), 0, true},
  };
  for (const auto &row : rows) {
    ASSERT_TRUE(PostMessageA(row.Target, row.Message, row.WParam, row.LParam));
    EXPECT_EQ(box.ShowModal(), row.Result);
    EXPECT_FALSE(IsWindowVisible(box.Handle()));
    EXPECT_TRUE(IsWindowEnabled(form.Handle()));
    MSG quit = {};
    EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, row.Quit);
    if (row.Quit) {
      EXPECT_EQ(quit.wParam, 7u);
    }
  }
  EXPECT_EQ(handlers.OwnerEnabled, std::vector<bool>{false}) << "the owner is disabled meanwhile";
}

} // namespace
