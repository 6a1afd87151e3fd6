#pragma once

#include "framework/win32/Control_win.h"

#include <string>
#include <vector>

/// A list view (SysListView32): columns with a caption and a width, items with a caption and
/// sub-item texts.
class TListView : public TControl {
public:
  /// The width that makes a column fit its header, the last one filling the rest
  /// (LVSCW_AUTOSIZE_USEHEADER).
  static constexpr int kAutoWidth = -2;

  TListView(TComponent *owner, TForm &form, TBounds bounds);

  /// Removes every item and every column.
  void Clear();
  /// One row per item, one column per field, with column headers.
  void SetViewStyleReport();
  /// Whether item captions can be edited in place.
  void SetReadOnly(bool readOnly);
  /// Whether clicks on the column headers act like buttons.
  void SetColumnClick(bool columnClick);
  void AddColumn(const std::string &caption, int width);
  /// Sets a column's width: pixels at 96 pixels per inch, or kAutoWidth.
  void SetColumnWidth(int column, int width);
  void AddItem(const std::string &caption, const std::vector<std::string> &subItems);

  int ColumnCount() const;
  std::string ColumnCaption(int column) const;
  int ItemCount() const;
  /// The text of an item (subItem 0) or of one of its sub-items (1, ...).
  std::string ItemText(int item, int subItem) const;

private:
  /// Replaces the style bits under mask with bits.
  void ChangeStyle(DWORD mask, DWORD bits);
};
