#include "framework/win32/ListView_win.h"

#include "framework/win32/WideText_win.h"

#include <commctrl.h>

#include <cwchar>
#include <stdexcept>

namespace {

// The control copies a text into a buffer of ours, cut to fit; a text that filled the buffer
// may have been cut short, so a larger one is tried. copy fills the buffer and answers how many
// characters it holds.
template <class TCopy> std::string CopiedText(TCopy copy) {
  std::wstring text(64, L'\0');
  for (;;) {
    const size_t length = copy(text);
    if (length + 1 < text.size()) {
      text.resize(length);
      return Utf8FromWide(text);
    }
    text.resize(text.size() * 2);
  }
}

} // namespace

TListView::TListView(TComponent *owner, TForm &form, TBounds bounds)
    : TControl(owner, form, WC_LISTVIEWA,
               WS_BORDER | WS_TABSTOP | LVS_SHOWSELALWAYS | LVS_SINGLESEL, bounds, "") {
  // Without a manifest the program gets version 5 of the common controls, which deletes
  // column zero only when asked for version 5 behaviour.
  SendMessageW(Handle(), CCM_SETVERSION, 5, 0);
}

void TListView::Clear() {
  SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (int column = ColumnCount() - 1; column >= 0; --column)
    SendMessageW(Handle(), LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
}

void TListView::SetViewStyleReport() { ChangeStyle(LVS_TYPEMASK, LVS_REPORT); }

void TListView::SetReadOnly(bool readOnly) {
  ChangeStyle(LVS_EDITLABELS, readOnly ? 0 : LVS_EDITLABELS);
}

void TListView::SetColumnClick(bool columnClick) {
  ChangeStyle(LVS_NOSORTHEADER, columnClick ? 0 : LVS_NOSORTHEADER);
}

// The list view follows a style changed after its creation (WM_STYLECHANGED).
void TListView::ChangeStyle(DWORD mask, DWORD bits) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(Handle(), GWL_STYLE));
  SetWindowLongPtrW(Handle(), GWL_STYLE, static_cast<LONG_PTR>((style & ~mask) | bits));
}

void TListView::AddColumn(const std::string &caption, int width) {
  const int index = ColumnCount();
  std::wstring text = WideFromUtf8(caption);
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_SUBITEM;
  column.pszText = text.data();
  column.iSubItem = index;
  if (SendMessageW(Handle(), LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&column)) < 0)
    throw std::runtime_error("A column cannot be added to the list");
  SetColumnWidth(index, width);
}

void TListView::SetColumnWidth(int column, int width) {
  // The automatic widths are codes, not lengths.
  const int pixels = width < 0 ? width : Form().Scaled(width);
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(pixels, 0));
}

void TListView::AddItem(const std::string &caption, const std::vector<std::string> &subItems) {
  std::wstring text = WideFromUtf8(caption);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = ItemCount();
  item.pszText = text.data();
  const auto index =
      static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0)
    throw std::runtime_error("An item cannot be added to the list");
  for (size_t i = 0; i < subItems.size(); ++i) {
    std::wstring subText = WideFromUtf8(subItems[i]);
    LVITEMW subItem = {};
    subItem.iSubItem = static_cast<int>(i + 1);
    subItem.pszText = subText.data();
    SendMessageW(Handle(), LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&subItem));
  }
}

// The header control exists once the list has had columns; before, there are none.
int TListView::ColumnCount() const {
  const auto header = reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string TListView::ColumnCaption(int column) const {
  return CopiedText([&](std::wstring &text) -> size_t {
    LVCOLUMNW query = {};
    query.mask = LVCF_TEXT;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    if (!SendMessageW(Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(column),
                      reinterpret_cast<LPARAM>(&query)))
      return 0;
    return std::wcslen(text.c_str());
  });
}

int TListView::ItemCount() const {
  return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0));
}

// The control reports how many characters it copied.
std::string TListView::ItemText(int item, int subItem) const {
  return CopiedText([&](std::wstring &text) {
    LVITEMW query = {};
    query.iSubItem = subItem;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    return static_cast<size_t>(SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                                            reinterpret_cast<LPARAM>(&query)));
  });
}
