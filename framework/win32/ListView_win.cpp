#include "framework/win32/ListView_win.h"

#include <commctrl.h>

#include <stdexcept>

TListView::TListView(TComponent *owner, TForm &form, TBounds bounds)
    : TControl(owner, form, WC_LISTVIEWA,
               WS_BORDER | WS_TABSTOP | LVS_SHOWSELALWAYS | LVS_SINGLESEL, bounds, "") {
  // Without a manifest the program gets version 5 of the common controls, which deletes
  // column zero only when asked for version 5 behaviour.
  SendMessageA(Handle(), CCM_SETVERSION, 5, 0);
}

void TListView::Clear() {
  SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
  for (int column = ColumnCount() - 1; column >= 0; --column)
    SendMessageA(Handle(), LVM_DELETECOLUMN, static_cast<WPARAM>(column), 0);
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
  const auto style = static_cast<DWORD>(GetWindowLongPtrA(Handle(), GWL_STYLE));
  SetWindowLongPtrA(Handle(), GWL_STYLE, static_cast<LONG_PTR>((style & ~mask) | bits));
}

void TListView::AddColumn(const std::string &caption, int width) {
  const int index = ColumnCount();
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_SUBITEM;
  column.pszText = const_cast<char *>(caption.c_str());
  column.iSubItem = index;
  if (SendMessageA(Handle(), LVM_INSERTCOLUMNA, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&column)) < 0)
    throw std::runtime_error("A column cannot be added to the list");
  SetColumnWidth(index, width);
}

void TListView::SetColumnWidth(int column, int width) {
  // The automatic widths are codes, not lengths.
  const int pixels = width < 0 ? width : Form().Scaled(width);
  SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(pixels, 0));
}

void TListView::AddItem(const std::string &caption, const std::vector<std::string> &subItems) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT;
  item.iItem = ItemCount();
  item.pszText = const_cast<char *>(caption.c_str());
  const auto index =
      static_cast<int>(SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0)
    throw std::runtime_error("An item cannot be added to the list");
  for (size_t i = 0; i < subItems.size(); ++i) {
    LVITEMA subItem = {};
    subItem.iSubItem = static_cast<int>(i + 1);
    subItem.pszText = const_cast<char *>(subItems[i].c_str());
    SendMessageA(Handle(), LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&subItem));
  }
}

// The header control exists once the list has had columns; before, there are none.
int TListView::ColumnCount() const {
  const auto header = reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string TListView::ColumnCaption(int column) const {
  char text[256] = {};
  LVCOLUMNA query = {};
  query.mask = LVCF_TEXT;
  query.pszText = text;
  query.cchTextMax = sizeof text;
  if (!SendMessageA(Handle(), LVM_GETCOLUMNA, static_cast<WPARAM>(column),
                    reinterpret_cast<LPARAM>(&query)))
    return "";
  return text;
}

int TListView::ItemCount() const {
  return static_cast<int>(SendMessageA(Handle(), LVM_GETITEMCOUNT, 0, 0));
}

// The control reports how much of the text it copied; a buffer that it filled up may have cut
// the text short, so a larger one is tried.
std::string TListView::ItemText(int item, int subItem) const {
  std::string text(64, '\0');
  for (;;) {
    LVITEMA query = {};
    query.iSubItem = subItem;
    query.pszText = text.data();
    query.cchTextMax = static_cast<int>(text.size());
    const auto length = static_cast<size_t>(SendMessageA(
        Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&query)));
    if (length + 1 < text.size()) {
      text.resize(length);
      return text;
    }
    text.resize(text.size() * 2);
  }
}
