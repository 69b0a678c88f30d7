#include "skin/zy_list.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QHeaderView>
#include <QItemSelection>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionViewItem>

#include "core/records.h"

namespace nv {
namespace {

// The check state a row had before its latest change, to tell a check-box
// click from other changes of the row.
constexpr int kLastCheckRole = Qt::UserRole + 1;
constexpr int kDataRole = Qt::UserRole;
constexpr int kRowHeight = 22;

}  // namespace

QEvent::Type ListSortEvent::EventType() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

ListSortEvent::ListSortEvent(int column, bool ascending)
    : QEvent(EventType()), column_(column), ascending_(ascending) {}

uint32_t ListSortEvent::message() const { return WM_LIST_SORT; }

CZyListCtrl::CZyListCtrl(QWidget* parent) : QTableWidget(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);
  setWordWrap(false);
  setShowGrid(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setSortIndicatorShown(true);
  header->setSortIndicator(-1, Qt::AscendingOrder);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(header, &QHeaderView::sectionClicked, this, &CZyListCtrl::OnHeaderClicked);
  connect(this, &QTableWidget::itemChanged, this, &CZyListCtrl::OnItemChanged);
}

void CZyListCtrl::SetExtendedStyle(uint32_t style) {
  const bool checkBoxes = style & kCheckBoxes;
  const bool hadCheckBoxes = extendedStyle_ & kCheckBoxes;
  extendedStyle_ = style;
  setShowGrid(style & kGridLines);
  if (checkBoxes != hadCheckBoxes) SetCheckableRows(checkBoxes);
}

void CZyListCtrl::SetSingleSelection(bool single) {
  setSelectionMode(single ? QAbstractItemView::SingleSelection
                          : QAbstractItemView::ExtendedSelection);
}

int CZyListCtrl::InsertColumn(int index, const QString& heading, int width,
                              Qt::Alignment alignment) {
  index = std::clamp(index, 0, columnCount());
  insertColumn(index);
  auto* headerItem = new QTableWidgetItem(heading);
  headerItem->setTextAlignment(alignment | Qt::AlignVCenter);
  setHorizontalHeaderItem(index, headerItem);
  setColumnWidth(index, width);
  columnAlignment_.insert(columnAlignment_.begin() + index, alignment);
  return index;
}

int CZyListCtrl::ClientWidth() const {
  const QScrollBar* bar = verticalScrollBar();
  return contentsRect().width() - (bar->isVisible() ? bar->width() : 0);
}

int CZyListCtrl::InsertItem(int row, const QString& text, const QIcon& icon) {
  row = std::clamp(row, 0, rowCount());
  const QSignalBlocker blocker(this);
  insertRow(row);
  for (int column = 0; column < columnCount(); ++column) {
    auto* item = new QTableWidgetItem();
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(
        (column == 0 ? Qt::AlignLeft : columnAlignment_[static_cast<size_t>(column)]) |
        Qt::AlignVCenter);
    setItem(row, column, item);
  }
  QTableWidgetItem* first = item(row, 0);
  if (!first) return row;
  first->setText(text);
  first->setIcon(icon);
  if (extendedStyle_ & kCheckBoxes) {
    first->setFlags(first->flags() | Qt::ItemIsUserCheckable);
    first->setCheckState(Qt::Unchecked);
    first->setData(kLastCheckRole, Qt::Unchecked);
  }
  return row;
}

void CZyListCtrl::SetItemText(int row, int column, const QString& text) {
  if (QTableWidgetItem* cell = item(row, column)) cell->setText(text);
}

QString CZyListCtrl::GetItemText(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  return cell ? cell->text() : QString();
}

void CZyListCtrl::SetItemData(int row, uint64_t data) {
  if (QTableWidgetItem* cell = item(row, 0)) cell->setData(kDataRole, QVariant::fromValue(data));
}

uint64_t CZyListCtrl::GetItemData(int row) const {
  const QTableWidgetItem* cell = item(row, 0);
  return cell ? cell->data(kDataRole).toULongLong() : 0;
}

void CZyListCtrl::DeleteAllItems() { setRowCount(0); }

void CZyListCtrl::SetRedraw(bool redraw) {
  setUpdatesEnabled(redraw);
  if (redraw) viewport()->update();
}

bool CZyListCtrl::IsSelected(int row) const {
  return row >= 0 && row < rowCount() && selectionModel()->isRowSelected(row, QModelIndex());
}

void CZyListCtrl::SetSelected(int row, bool selected) {
  if (row < 0 || row >= rowCount()) return;
  selectionModel()->select(model()->index(row, 0),
                           (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                               QItemSelectionModel::Rows);
}

std::vector<int> CZyListCtrl::SelectedRows() const {
  std::vector<int> rows;
  for (int row = 0; row < rowCount(); ++row) {
    if (IsSelected(row)) rows.push_back(row);
  }
  return rows;
}

bool CZyListCtrl::GetCheck(int row) const {
  const QTableWidgetItem* cell = item(row, 0);
  return cell && cell->checkState() == Qt::Checked;
}

void CZyListCtrl::SetCheck(int row, bool checked) {
  QTableWidgetItem* cell = item(row, 0);
  if (!cell || !(cell->flags() & Qt::ItemIsUserCheckable)) return;
  cell->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CZyListCtrl::SelectAll() {
  if (rowCount() == 0 || columnCount() == 0) return;
  const QItemSelection all(model()->index(0, 0), model()->index(rowCount() - 1, 0));
  selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void CZyListCtrl::SelectInvert() {
  if (rowCount() == 0 || columnCount() == 0) return;
  const QItemSelection all(model()->index(0, 0), model()->index(rowCount() - 1, 0));
  selectionModel()->select(all, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
}

std::unique_ptr<QMenu> CZyListCtrl::CreateContextMenu() {
  auto menu = std::make_unique<QMenu>(tr("List"), this);
  QAction* selectAll = menu->addAction(tr("Select All"));
  selectAll->setData(kSelectAllCommand);
  connect(selectAll, &QAction::triggered, this, &CZyListCtrl::SelectAll);
  QAction* invert = menu->addAction(tr("Select Invert"));
  invert->setData(kSelectInvertCommand);
  invert->setEnabled(!SelectedRows().empty());
  connect(invert, &QAction::triggered, this, &CZyListCtrl::SelectInvert);
  return menu;
}

void CZyListCtrl::contextMenuEvent(QContextMenuEvent* event) {
  event->accept();
  if (!contextMenuEnabled_) return;
  std::unique_ptr<QMenu> menu = CreateContextMenu();
  activateWindow();
  menu->exec(QCursor::pos());
}

void CZyListCtrl::OnHeaderClicked(int column) {
  // A newly clicked column sorts ascending; the same column again reverses.
  const bool ascending = column == sortColumn_ ? !sortAscending_ : true;
  Sort(column, ascending, false);
}

void CZyListCtrl::Sort(int column, bool ascending, bool) {
  if (QWidget* parent = parentWidget()) {
    ListSortEvent request(column, ascending);
    QCoreApplication::sendEvent(parent, &request);
  }
  sortColumn_ = column;
  sortAscending_ = ascending;
  horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder
                                                         : Qt::DescendingOrder);
}

void CZyListCtrl::OnItemChanged(QTableWidgetItem* changed) {
  if (changed->column() != 0 || !(changed->flags() & Qt::ItemIsUserCheckable)) return;
  const auto before = static_cast<Qt::CheckState>(changed->data(kLastCheckRole).toInt());
  const Qt::CheckState now = changed->checkState();
  if (before == now) return;
  {
    const QSignalBlocker blocker(this);
    changed->setData(kLastCheckRole, now);
  }
  // Checking or unchecking a selected row carries over to every selected row;
  // the changes this causes only record their new state.
  if (propagating_ || !IsSelected(changed->row())) return;
  propagating_ = true;
  for (int row : SelectedRows()) SetCheck(row, now == Qt::Checked);
  propagating_ = false;
}

void CZyListCtrl::SetCheckableRows(bool checkable) {
  const QSignalBlocker blocker(this);
  for (int row = 0; row < rowCount(); ++row) {
    QTableWidgetItem* cell = item(row, 0);
    if (!cell) continue;
    if (checkable) {
      cell->setFlags(cell->flags() | Qt::ItemIsUserCheckable);
      cell->setCheckState(Qt::Unchecked);
      cell->setData(kLastCheckRole, Qt::Unchecked);
    } else {
      cell->setFlags(cell->flags() & ~Qt::ItemIsUserCheckable);
      cell->setData(Qt::CheckStateRole, QVariant());
    }
  }
}

int CZyListCtrl::CheckIndicatorRow(const QPoint& position) const {
  const QModelIndex index = indexAt(position);
  if (!index.isValid() || index.column() != 0) return -1;
  if (!(model()->flags(index) & Qt::ItemIsUserCheckable)) return -1;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(index);
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  if (!index.data(Qt::DecorationRole).isNull()) option.features |= QStyleOptionViewItem::HasDecoration;
  const QRect box = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
  return box.contains(position) ? index.row() : -1;
}

void CZyListCtrl::mousePressEvent(QMouseEvent* event) {
  // Clicking a check box toggles it without touching the selection, so the
  // change can carry over to the rows already selected.
  const int row = event->button() == Qt::LeftButton ? CheckIndicatorRow(event->position().toPoint())
                                                    : -1;
  if (row >= 0) {
    pressOnCheck_ = true;
    SetCheck(row, !GetCheck(row));
    event->accept();
    return;
  }
  QTableWidget::mousePressEvent(event);
}

void CZyListCtrl::mouseReleaseEvent(QMouseEvent* event) {
  if (pressOnCheck_) {
    pressOnCheck_ = false;
    event->accept();
    return;
  }
  QTableWidget::mouseReleaseEvent(event);
}

void CZyListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && CheckIndicatorRow(event->position().toPoint()) >= 0) {
    mousePressEvent(event);
    return;
  }
  QTableWidget::mouseDoubleClickEvent(event);
}

}  // namespace nv
