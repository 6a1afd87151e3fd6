// The version component writing into real labels and a real list view on a test form.

#include "framework/win32/Application_win.h"
#include "framework/win32/Label_win.h"
#include "framework/win32/ListView_win.h"
#include "versinfo/VersionInfoResource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const TFormLayout kLayout = {"TVersionTestForm", 300, 200, WS_OVERLAPPEDWINDOW, 0, false,
                             "MS Sans Serif",    -11};

class TTestForm : public TForm {
public:
  explicit TTestForm(TComponent *owner) : TForm(owner, kLayout) {}
  TLabel &Version = Own<TLabel>(*this, TBounds{8, 8, 60, 13}, "x.x.x.x");
  TLabel &Copyright = Own<TLabel>(*this, TBounds{8, 24, 60, 13}, "Copyright xxxxx");
  TListView &List = Own<TListView>(*this, TBounds{8, 40, 280, 150});
};

TPreDefs AllBut(std::initializer_list<TPreDef> left) {
  TPreDefs set;
  for (int entry = 0; entry < kPreDefCount; ++entry)
    set.Include(static_cast<TPreDef>(entry));
  for (const TPreDef entry : left)
    set.Exclude(entry);
  return set;
}

using TRows = std::vector<std::pair<std::string, std::string>>;

TRows RowsOf(const TListView &list) {
  TRows rows;
  for (int item = 0; item < list.ItemCount(); ++item)
    rows.emplace_back(list.ItemText(item, 0), list.ItemText(item, 1));
  return rows;
}

class VersionDisplay : public ::testing::Test {
protected:
  TTestForm &form = Application().Own<TTestForm>();
};

// As the About box is set up: links and the selection are assigned while the form loads, which
// writes nothing; the labels are filled once it has loaded.
TEST_F(VersionDisplay, FillsLinkedLabelsOnceTheFormHasLoaded) {
  TzedVersionInfoResource *resource = nullptr;
  form.ReadState([&] {
    resource = &form.Own<TzedVersionInfoResource>();
    resource->SetFileVersionLabel(&form.Version);
    resource->SetCopyrightLabel(&form.Copyright);
    resource->SetShowResource(AllBut({pdFileVersion, pdLegalCopyright}));
    resource->SetFilename(FIXTURE_ONE);
    EXPECT_EQ(form.Version.Caption(), "x.x.x.x");
    EXPECT_EQ(form.Copyright.Caption(), "Copyright xxxxx");
  });
  EXPECT_EQ(form.Version.Caption(), "1.1.3.11");
  EXPECT_EQ(form.Copyright.Caption(), "Copyright (C) Acme");
  EXPECT_EQ(resource->ShowResource(), AllBut({pdFileVersion, pdLegalCopyright}));
}

TEST_F(VersionDisplay, LinkingALabelTakesItsEntryOutOfTheListForGood) {
  using TSetter = void (TzedVersionInfoResource::*)(TLabel *);
  const std::pair<TSetter, TPreDef> rows[] = {
      {&TzedVersionInfoResource::SetFileVersionLabel, pdFileVersion},
      {&TzedVersionInfoResource::SetCopyrightLabel, pdLegalCopyright},
      {&TzedVersionInfoResource::SetDescriptionLabel, pdFileDescription},
      {&TzedVersionInfoResource::SetProductLabel, pdProductName}};
  for (const auto &[link, entry] : rows) {
    TzedVersionInfoResource resource(nullptr);
    (resource.*link)(&form.Version);
    EXPECT_EQ(resource.ShowResource(), AllBut({entry})) << entry;
    (resource.*link)(nullptr);
    EXPECT_EQ(resource.ShowResource(), AllBut({entry})) << entry;
  }
}

// Rows come in their fixed order; empty values give none; Build Flags come from the fixed
// part's flags.
TEST_F(VersionDisplay, ListsTheSelectedEntriesThatHoldAValue) {
  const struct {
    const char *File;
    TPreDefs Shown;
    TRows Rows;
  } rows[] = {{FIXTURE_TWO,
               AllBut({}),
               {{"Product Version", "3.0"},
                {"Company Name", "Acme GmbH"},
                {"File Description", "Zwei Sprachen"},
                {"File Version", "2.5 beta"},
                {"Build Flags", "Patched, Pre-Release, Private, Special"}}},
              {FIXTURE_ZERO,
               AllBut({}),
               {{"Product Version", "2.5.0.16"},
                {"File Description", "Neutral translation"},
                {"File Version", "2.5.0.16"},
                {"Build Flags", "Debug, Patched, Special"}}},
              {FIXTURE_ZERO,
               AllBut({pdBuildFlags, pdFileVersion}),
               {{"Product Version", "2.5.0.16"}, {"File Description", "Neutral translation"}}},
              {FIXTURE_SCRIPTS,
               AllBut({}),
               {{"Product Name", "程序更新 𝄞"},
                {"Product Version", "1.1.3.11"},
                {"Company Name", "ООО «Ромашка»"},
                {"File Description", "Ενημέρωση προγραμμάτων"},
                {"File Version", "1.1 бета"},
                {"Comments", "a\u0085z"}}},
              {FIXTURE_NONE, AllBut({}), {}}};
  for (const auto &row : rows) {
    TzedVersionInfoResource resource(nullptr);
    resource.SetShowResource(row.Shown);
    resource.SetVersionListView(&form.List);
    resource.SetFilename(row.File);
    EXPECT_EQ(RowsOf(form.List), row.Rows) << row.File;
    EXPECT_EQ(form.List.ColumnCount(), 2);
    EXPECT_EQ(form.List.ColumnCaption(0), "Resource");
    EXPECT_EQ(form.List.ColumnCaption(1), "Value");
    const LONG style = GetWindowLongA(form.List.Handle(), GWL_STYLE);
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(style & (LVS_EDITLABELS | LVS_NOSORTHEADER), LVS_NOSORTHEADER);
  }
}

TEST_F(VersionDisplay, AnotherSelectionRebuildsEverythingAndAnEqualOneNothing) {
  TzedVersionInfoResource resource(nullptr);
  resource.SetFilename(FIXTURE_ONE);
  resource.SetFileVersionLabel(&form.Version);
  resource.SetVersionListView(&form.List);
  form.Version.SetCaption("written by hand");
  const std::string longCaption(300, 'W');
  form.List.AddColumn(longCaption, 40);
  EXPECT_EQ(form.List.ColumnCaption(2), longCaption);

  resource.SetShowResource(resource.ShowResource());
  EXPECT_EQ(form.Version.Caption(), "written by hand");
  EXPECT_EQ(form.List.ColumnCount(), 3);

  resource.SetShowResource(AllBut({pdFileVersion, pdComments}));
  EXPECT_EQ(form.Version.Caption(), "1.1.3.11");
  EXPECT_EQ(form.List.ColumnCount(), 2);
  EXPECT_EQ(form.List.ItemCount(), 8);
}

TEST_F(VersionDisplay, ADestroyedLabelIsUnlinkedFromEveryProperty) {
  auto label = std::make_unique<TLabel>(nullptr, form, TBounds{8, 8, 60, 13}, "");
  TzedVersionInfoResource resource(nullptr);
  resource.SetFileVersionLabel(label.get());
  resource.SetCopyrightLabel(label.get());
  resource.SetProductLabel(&form.Copyright);
  label.reset();
  EXPECT_EQ(resource.VersionLabel(), nullptr);
  EXPECT_EQ(resource.CopyrightLabel(), nullptr);
  EXPECT_EQ(resource.ProductLabel(), &form.Copyright);
  resource.SetFilename(FIXTURE_ONE);
  EXPECT_EQ(form.Copyright.Caption(), "Fixtures");

  resource.SetVersion("v9");
  EXPECT_EQ(resource.GetVersion(), "TzedVersionInfoResource v2.35");
}

} // namespace
