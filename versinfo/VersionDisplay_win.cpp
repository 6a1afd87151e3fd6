// The display side of the version component: the linked labels and list view.

#include "framework/win32/Label_win.h"
#include "framework/win32/ListView_win.h"
#include "versinfo/VersionCaptions.h"
#include "versinfo/VersionInfoApi.h"
#include "versinfo/VersionInfoResource.h"

namespace {

// The list's rows, in their order.
const TPreDef kListedEntries[] = {pdProductName,    pdProductVersion,  pdCompanyName,
                                  pdLegalCopyright, pdLegalTrademarks, pdFileDescription,
                                  pdFileVersion,    pdInternalName,    pdOriginalFilename,
                                  pdBuildFlags,     pdComments};
constexpr int kFlagCount = ffSpecialBuild + 1;

} // namespace

void TzedVersionInfoResource::SetFileVersionLabel(TLabel *value) {
  LinkLabel(fVersionLabel, value, pdFileVersion);
}

void TzedVersionInfoResource::SetCopyrightLabel(TLabel *value) {
  LinkLabel(fCopyrightLabel, value, pdLegalCopyright);
}

void TzedVersionInfoResource::SetDescriptionLabel(TLabel *value) {
  LinkLabel(fDescriptionLabel, value, pdFileDescription);
}

void TzedVersionInfoResource::SetProductLabel(TLabel *value) {
  LinkLabel(fProductLabel, value, pdProductName);
}

// A label shows its entry, so the list need not; linking none only drops the link.
void TzedVersionInfoResource::LinkLabel(TLabel *&link, TLabel *value, TPreDef shown) {
  link = value;
  if (!value)
    return;
  value->FreeNotification(this);
  fShowResource.Exclude(shown);
  PopulateControls();
}

void TzedVersionInfoResource::SetVersionListView(TListView *value) {
  fVersionListView = value;
  if (!value)
    return;
  value->FreeNotification(this);
  PopulateControls();
}

void TzedVersionInfoResource::SetShowResource(TPreDefs value) {
  if (value == fShowResource)
    return;
  fShowResource = value;
  PopulateControls();
}

void TzedVersionInfoResource::PopulateControls() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning))
    return;
  if (fVersionLabel)
    fVersionLabel->SetCaption(fFileVersionNumber.GetVersionNumberString());
  if (fCopyrightLabel)
    fCopyrightLabel->SetCaption(GetVersionInfoString(pdLegalCopyright));
  if (fProductLabel)
    fProductLabel->SetCaption(GetVersionInfoString(pdProductName));
  if (fDescriptionLabel)
    fDescriptionLabel->SetCaption(GetVersionInfoString(pdFileDescription));
  if (fVersionListView)
    BuildListView();
}

void TzedVersionInfoResource::BuildListView() {
  if (!fVersionListView)
    return;
  TListView &list = *fVersionListView;
  list.Clear();
  list.SetViewStyleReport();
  list.SetReadOnly(true);
  list.SetColumnClick(false);
  // The headers are read from the string table afresh for each list.
  list.AddColumn(LoadOwnString(SHeaderResource), TListView::kAutoWidth);
  list.AddColumn(LoadOwnString(SHeaderValue), TListView::kAutoWidth);
  for (const TPreDef entry : kListedEntries) {
    if (!fShowResource.Contains(entry))
      continue;
    std::string value;
    switch (entry) {
    case pdProductVersion:
      value = fProductVersionNumber.GetVersionNumberString();
      break;
    case pdFileVersion:
      value = fFileVersionNumber.GetVersionNumberString();
      break;
    case pdBuildFlags: // from the fixed part's flags, never from a "BuildFlags" string
      value = BuildFlags();
      break;
    default:
      value = GetVersionInfoString(entry);
    }
    if (!value.empty())
      list.AddItem(VersionCaption(kPreDefCaptions[entry]), {value});
  }
  // Sized while the list was empty, the first column took the whole width as the last one then,
  // and left none to the values; sized again now, it fits its captions and the values get the
  // rest.
  for (int column = 0; column < list.ColumnCount(); ++column)
    list.SetColumnWidth(column, TListView::kAutoWidth);
}

std::string TzedVersionInfoResource::BuildFlags() const {
  const TFixedFileInfoFlags flags = fFixedFileVersionInfo.GetFlags();
  std::string text;
  for (int flag = 0; flag < kFlagCount; ++flag)
    if (flags.Contains(static_cast<TFixedFileInfoFlag>(flag)))
      text += VersionCaption(kFlagCaptions[flag]) + ", ";
  if (!text.empty())
    text.resize(text.size() - 2);
  return text;
}

void TzedVersionInfoResource::Notification(TComponent *component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation != opRemove)
    return;
  for (TLabel **link : {&fVersionLabel, &fCopyrightLabel, &fProductLabel, &fDescriptionLabel})
    if (*link && static_cast<TComponent *>(*link) == component)
      *link = nullptr;
  if (fVersionListView && static_cast<TComponent *>(fVersionListView) == component)
    fVersionListView = nullptr;
}
