#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <vector>

#include "core/records.h"
#include "skin/zy_list.h"
#include "test_skin.h"

namespace nv {
namespace {

// A page that keeps its own order: every sort request rebuilds the rows by
// name in the requested direction, as the pages do.
class SortingPage : public QWidget {
 public:
  struct Request {
    uint32_t message;
    int wParam;
    int lParam;
    int listColumnThen;  // what the list had recorded when the page was told
    bool listAscendingThen;
  };

  SortingPage() {
    list = new CZyListCtrl(this);
    list->setGeometry(0, 0, 300, 200);
    list->InsertColumn(0, "Name", 100);
    list->InsertColumn(1, "Path", 180);
    Rebuild(true);
  }

  void Rebuild(bool ascending) {
    std::vector<QString> names = {"beta", "alpha", "gamma"};
    std::sort(names.begin(), names.end());
    if (!ascending) std::reverse(names.begin(), names.end());
    list->DeleteAllItems();
    for (const QString& name : names) list->InsertItem(list->GetItemCount(), name);
  }

  bool event(QEvent* event) override {
    if (event->type() != ListSortEvent::EventType()) return QWidget::event(event);
    auto* sort = static_cast<ListSortEvent*>(event);
    requests.push_back({sort->message(), sort->wParam(), sort->lParam(), list->sortColumn(),
                        list->sortAscending()});
    Rebuild(sort->lParam() == 1);
    return true;
  }

  CZyListCtrl* list;
  std::vector<Request> requests;
};

void ClickHeader(CZyListCtrl* list, int column) {
  QHeaderView* header = list->horizontalHeader();
  const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

TEST(ListSort, PageIsAskedFirstAndItsOrderStands) {
  SortingPage page;
  page.show();
  test::Settle();

  ClickHeader(page.list, 1);
  ClickHeader(page.list, 1);
  ClickHeader(page.list, 0);
  ASSERT_EQ(page.requests.size(), 3u);
  const struct {
    int column, ascending, columnThen;
    bool ascendingThen;
  } expected[] = {{1, 1, -1, true}, {1, 0, 1, true}, {0, 1, 1, false}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(page.requests[i].message, WM_LIST_SORT);
    EXPECT_EQ(page.requests[i].wParam, expected[i].column) << i;
    EXPECT_EQ(page.requests[i].lParam, expected[i].ascending) << i;
    EXPECT_EQ(page.requests[i].listColumnThen, expected[i].columnThen) << i;
    EXPECT_EQ(page.requests[i].listAscendingThen, expected[i].ascendingThen) << i;
  }
  EXPECT_EQ(page.list->sortColumn(), 0);
  EXPECT_TRUE(page.list->sortAscending());
  EXPECT_EQ(page.list->horizontalHeader()->sortIndicatorSection(), 0);

  ClickHeader(page.list, 0);
  EXPECT_EQ(page.list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
  EXPECT_EQ(page.list->GetItemText(0, 0), "gamma");
  EXPECT_EQ(page.list->GetItemText(2, 0), "alpha");
}

class ListTest : public testing::Test {
 protected:
  void SetUp() override {
    list_.resize(300, 200);
    list_.InsertColumn(0, "Name", 150);
    list_.SetExtendedStyle(CZyListCtrl::kCheckBoxes | CZyListCtrl::kGridLines |
                           CZyListCtrl::kFullRowSelect);
  }

  void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      const int row = list_.InsertItem(i, QStringLiteral("row %1").arg(i));
      list_.SetItemData(row, 100 + i);
    }
  }

  static bool InvertAvailable(CZyListCtrl& list) {
    const std::unique_ptr<QMenu> menu = list.CreateContextMenu();
    const QList<QAction*> actions = menu->actions();
    EXPECT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), "Select All");
    EXPECT_TRUE(actions[0]->isEnabled());
    EXPECT_EQ(actions[1]->text(), "Select Invert");
    return actions[1]->isEnabled();
  }

  std::vector<int> Checked() {
    std::vector<int> rows;
    for (int row = 0; row < list_.GetItemCount(); ++row) {
      if (list_.GetCheck(row)) rows.push_back(row);
    }
    return rows;
  }

  CZyListCtrl list_;
};

TEST_F(ListTest, SelectInvertIsGreyedUntilARowIsSelected) {
  EXPECT_FALSE(InvertAvailable(list_));
  list_.SelectAll();
  EXPECT_EQ(list_.GetItemCount(), 0);

  AddRows(4);
  EXPECT_FALSE(InvertAvailable(list_));
  list_.SetCheck(3, true);
  list_.SetSelected(1, true);
  EXPECT_TRUE(InvertAvailable(list_));

  list_.SelectInvert();
  EXPECT_EQ(list_.SelectedRows(), (std::vector<int>{0, 2, 3}));
  list_.SelectAll();
  EXPECT_EQ(list_.SelectedRows(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Checked(), std::vector<int>{3});
  EXPECT_EQ(list_.GetItemData(2), 102u);
}

TEST_F(ListTest, RightClickShowsTheMenuOnlyWhenEnabled) {
  AddRows(2);
  list_.show();
  test::Settle();
  const auto rightClick = [this] {
    QStringList seen;
    QTimer inspect;
    inspect.setSingleShot(true);
    QObject::connect(&inspect, &QTimer::timeout, [&seen] {
      if (QWidget* popup = QApplication::activePopupWidget()) {
        for (QAction* action : popup->actions()) {
          seen << action->text() + (action->isEnabled() ? "" : " (greyed)");
        }
        popup->close();
      }
    });
    inspect.start(50);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20), list_.mapToGlobal(QPoint(20, 20)));
    QCoreApplication::sendEvent(list_.viewport(), &event);
    test::Settle();
    return seen;
  };
  EXPECT_TRUE(rightClick().isEmpty());
  list_.SetContextMenuEnabled(true);
  EXPECT_EQ(rightClick(), (QStringList{"Select All", "Select Invert (greyed)"}));
}

TEST_F(ListTest, CheckingASelectedRowChecksEverySelectedRow) {
  AddRows(5);
  for (int row : {0, 2, 3}) list_.SetSelected(row, true);

  list_.SetCheck(2, true);
  EXPECT_EQ(Checked(), (std::vector<int>{0, 2, 3}));
  list_.SetCheck(0, false);
  EXPECT_TRUE(Checked().empty());

  // Checking a row that is not selected changes that row alone.
  list_.SetCheck(4, true);
  EXPECT_EQ(Checked(), std::vector<int>{4});
}

TEST_F(ListTest, ClickingACheckBoxKeepsTheSelection) {
  AddRows(3);
  list_.show();
  test::Settle();
  const QRect row = list_.visualRect(list_.model()->index(1, 0));
  QRect box;
  for (int x = row.left(); x < row.left() + 30 && box.isNull(); ++x) {
    // Rows 0 and 1 are selected before every try; a click that misses the
    // check box selects row 1 alone, one that hits it must keep both.
    list_.clearSelection();
    list_.SetSelected(0, true);
    list_.SetSelected(1, true);
    QTest::mouseClick(list_.viewport(), Qt::LeftButton, {}, QPoint(x, row.center().y()));
    if (list_.GetCheck(1)) box = QRect(QPoint(x, row.center().y()), QSize(1, 1));
  }
  ASSERT_FALSE(box.isNull()) << "no check box found";
  EXPECT_EQ(Checked(), (std::vector<int>{0, 1}));
  EXPECT_EQ(list_.SelectedRows(), (std::vector<int>{0, 1}));
}

}  // namespace
}  // namespace nv
