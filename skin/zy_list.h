// The report list of the pages: columns, full-row selection, optional grid
// lines and check boxes, a right-click menu to select all rows or invert the
// selection, and a sort request that the page answers.
#pragma once

#include <QEvent>
#include <QIcon>
#include <QTableWidget>
#include <cstdint>
#include <memory>
#include <vector>

class QMenu;

namespace nv {

// Menu commands of the list's right-click menu.
constexpr int kSelectAllCommand = 32777;
constexpr int kSelectInvertCommand = 32778;

// Sent synchronously to the list's parent when a column header is clicked,
// before the list records the new sort order. Carries WM_LIST_SORT with the
// column as wParam and the ascending flag (1 ascending, 0 descending) as
// lParam; the parent rebuilds the rows in the order it chooses.
class ListSortEvent : public QEvent {
 public:
  static QEvent::Type EventType();
  ListSortEvent(int column, bool ascending);

  uint32_t message() const;
  int wParam() const { return column_; }
  int lParam() const { return ascending_ ? 1 : 0; }

 private:
  int column_;
  bool ascending_;
};

class CZyListCtrl : public QTableWidget {
  Q_OBJECT

 public:
  // Extended styles; full-row selection is always on.
  enum ExtendedStyle : uint32_t {
    kGridLines = 0x1,
    kCheckBoxes = 0x4,
    kFullRowSelect = 0x20,
    kDoubleBuffer = 0x10000,
  };

  explicit CZyListCtrl(QWidget* parent = nullptr);

  void SetExtendedStyle(uint32_t style);
  uint32_t GetExtendedStyle() const { return extendedStyle_; }
  void SetSingleSelection(bool single);

  // When enabled, a right click shows the list menu; off by default.
  bool contextMenuEnabled() const { return contextMenuEnabled_; }
  void SetContextMenuEnabled(bool enabled) { contextMenuEnabled_ = enabled; }

  // Adds a column at index with its heading, width in pixels and alignment.
  int InsertColumn(int index, const QString& heading, int width,
                   Qt::Alignment alignment = Qt::AlignLeft);

  // Width of the row area, also before the list is first shown (column widths
  // are given as shares of it).
  int ClientWidth() const;

  int GetItemCount() const { return rowCount(); }
  // Inserts a row (unchecked when the list has check boxes); returns its index.
  int InsertItem(int row, const QString& text, const QIcon& icon = QIcon());
  void SetItemText(int row, int column, const QString& text);
  QString GetItemText(int row, int column) const;
  void SetItemData(int row, uint64_t data);
  uint64_t GetItemData(int row) const;
  void DeleteAllItems();
  // Switches drawing off while rows are rebuilt, and on again.
  void SetRedraw(bool redraw);

  bool IsSelected(int row) const;
  void SetSelected(int row, bool selected);
  // Rows with the selected state, in row order.
  std::vector<int> SelectedRows() const;
  // Checking or unchecking a selected row, by a click or by code, does the
  // same to every selected row; other rows change alone. Clicking a check box
  // leaves the selection as it is.
  bool GetCheck(int row) const;
  void SetCheck(int row, bool checked);

  // Menu commands: select every row; flip the selected state of every row.
  // Neither touches the check boxes.
  void SelectAll();
  void SelectInvert();
  // The menu a right click shows: "Select All" always available, "Select
  // Invert" greyed when no row is selected.
  std::unique_ptr<QMenu> CreateContextMenu();

  // The order last recorded by Sort; column -1 before the first sort.
  int sortColumn() const { return sortColumn_; }
  bool sortAscending() const { return sortAscending_; }
  // Tells the parent (ListSortEvent), then records the column and direction
  // and shows them in the header. Rows are not reordered here.
  virtual void Sort(int column, bool ascending, bool add);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void OnHeaderClicked(int column);
  void OnItemChanged(QTableWidgetItem* item);
  void SetCheckableRows(bool checkable);
  int CheckIndicatorRow(const QPoint& position) const;

  uint32_t extendedStyle_ = 0;
  bool contextMenuEnabled_ = false;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  bool propagating_ = false;
  bool pressOnCheck_ = false;
  std::vector<Qt::Alignment> columnAlignment_;
};

}  // namespace nv
