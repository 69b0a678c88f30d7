#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <map>

#include "skin/resources.h"
#include "skin/zy_button.h"
#include "skin/zy_dialog.h"
#include "skin/zy_list.h"
#include "test_skin.h"

namespace nv {
namespace {

constexpr int kDialogTemplate = 9100;
constexpr int kPageTemplate = 9101;
constexpr int kBackground = 1;
constexpr int kPageBackground = 44;
constexpr int kLabel = 1001;
constexpr int kPlaceholder = 1002;
constexpr int kButton = 1003;
constexpr int kPageList = 1011;

void RegisterTemplates() {
  // 300 x 180 dialog units are 450 x 293 pixels; the background makes it 500 x 300.
  RegisterDialogTemplate({kDialogTemplate, 300, 180, 0,
                          {
                              {kLabel, ControlKind::kStatic, "Label", 10, 10, 50, 10, 0},
                              {kPlaceholder, ControlKind::kStatic, "", 100, 10, 30, 20, kHidden},
                              {kButton, ControlKind::kGeneralButton, "OK", 10, 40, 50, 14, 0},
                          }});
  RegisterDialogTemplate({kPageTemplate, 100, 60, kChild | kVisible,
                          {{kPageList, ControlKind::kList, "", 40, 10, 50, 40, 0}}});
}

class SkinnedDialog : public CZyDialogEx {
 public:
  explicit SkinnedDialog(int background = kBackground, bool caption = true)
      : CZyDialogEx(kDialogTemplate), background_(background), caption_(caption) {}

 protected:
  bool OnInitDialog() override {
    InitSkin(background_, caption_);
    return true;
  }

 private:
  int background_;
  bool caption_;
};

class Page : public CFunctionDlg {
 public:
  explicit Page(QWidget* parent) : CFunctionDlg(kPageTemplate, parent) {}

 protected:
  bool OnInitDialog() override {
    InitSkin(kPageBackground, false);
    return true;
  }
};

std::map<QWidget*, QRect> ChildGeometries(const QWidget& parent) {
  std::map<QWidget*, QRect> geometries;
  for (QWidget* child : parent.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    geometries[child] = child->geometry();
  }
  return geometries;
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& local, Qt::MouseButtons held) {
  const QPoint global = target->mapToGlobal(local);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &event);
}

// Presses at a point of the widget, drags by (30, 20) and releases.
void Drag(QWidget* target, const QPoint& local) {
  SendMouse(target, QEvent::MouseButtonPress, local, Qt::LeftButton);
  SendMouse(target, QEvent::MouseMove, local + QPoint(30, 20), Qt::LeftButton);
  SendMouse(target, QEvent::MouseButtonRelease, local + QPoint(30, 20), Qt::NoButton);
}

// Creates the dialog modeless and shows it at a fixed place, ready for mouse events.
bool ShowModeless(SkinnedDialog* dialog) {
  if (!dialog->Create()) return false;
  dialog->move(100, 100);
  dialog->show();
  test::Settle();
  return true;
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    RegisterTemplates();
    skin_.Put(kBackground, QSize(500, 300), Qt::darkCyan);
    skin_.Put(kPageBackground, QSize(150, 98), Qt::darkYellow);
    for (int id : {4, 5, 6, 7, 8, 9}) skin_.Put(id, QSize(20, 20), QColor(id * 20, 0, 0));
  }

  test::TestSkin skin_;
};

TEST_F(DialogTest, TakesTheBackgroundSizeAndARoundedOutline) {
  SkinnedDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.show();
  test::Settle();
  EXPECT_EQ(dialog.size(), QSize(500, 300));
  EXPECT_EQ(dialog.referenceRect(), QRect(0, 0, 500, 300));

  const QRegion outline = dialog.mask();
  EXPECT_EQ(outline.boundingRect(), QRect(0, 0, 500, 300));
  for (QPoint corner : {QPoint(0, 0), QPoint(499, 0), QPoint(0, 299), QPoint(499, 299),
                        QPoint(2, 0), QPoint(0, 1)}) {
    EXPECT_FALSE(outline.contains(corner)) << corner.x() << "," << corner.y();
  }
  for (QPoint inside : {QPoint(3, 0), QPoint(1, 1), QPoint(0, 3), QPoint(250, 0), QPoint(0, 150),
                        QPoint(496, 299), QPoint(250, 150)}) {
    EXPECT_TRUE(outline.contains(inside)) << inside.x() << "," << inside.y();
  }
}

TEST_F(DialogTest, PlacesTheCaptionButtonsFromTheMinimiseImage) {
  SkinnedDialog dialog;
  ASSERT_TRUE(dialog.Create());
  ASSERT_NE(dialog.minimizeButton(), nullptr);
  EXPECT_EQ(dialog.GetDlgItem(kMinimizeCommand), dialog.minimizeButton());
  EXPECT_EQ(dialog.GetDlgItem(kCloseCommand), dialog.closeButton());
  EXPECT_EQ(dialog.minimizeButton()->geometry(), QRect(440, 5, 20, 20));
  EXPECT_EQ(dialog.closeButton()->geometry(), QRect(470, 5, 20, 20));
  EXPECT_EQ(dialog.windowTitle(), "Norvane");

  SkinnedDialog page(kBackground, false);
  ASSERT_TRUE(page.Create());
  EXPECT_EQ(page.minimizeButton(), nullptr);
  EXPECT_EQ(page.GetDlgItem(kCloseCommand), nullptr);
}

TEST_F(DialogTest, WithoutImagesKeepsTheTemplateSizeAndPlacesCaptionButtons) {
  test::TestSkin empty;
  SkinnedDialog dialog;
  ASSERT_TRUE(dialog.Create());
  EXPECT_EQ(dialog.size(), QSize(450, 293));
  EXPECT_EQ(dialog.minimizeButton()->geometry(), QRect(390, 5, 20, 20));
  EXPECT_EQ(dialog.closeButton()->geometry(), QRect(420, 5, 20, 20));
}

TEST_F(DialogTest, ScalesChildrenWithTheWindow) {
  SkinnedDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.show();
  test::Settle();
  // The button sits at (15, 65, 75, 23); doubling the width and 1.5 times the
  // height puts it at left 30, right 180, top 97 (97.5 truncated), bottom 132.
  ASSERT_EQ(dialog.GetDlgItem(kButton)->geometry(), QRect(15, 65, 75, 23));
  dialog.resize(1000, 450);
  test::Settle();
  EXPECT_EQ(dialog.GetDlgItem(kButton)->geometry(), QRect(30, 97, 150, 35));
  EXPECT_EQ(dialog.closeButton()->geometry(), QRect(940, 7, 40, 30));
  EXPECT_EQ(dialog.GetDlgItem(kPlaceholder)->geometry().left(), 150 * 2);
  EXPECT_EQ(dialog.referenceRect(), QRect(0, 0, 1000, 450));
  EXPECT_EQ(dialog.mask().boundingRect(), QRect(0, 0, 1000, 450));
}

TEST_F(DialogTest, MinimiseAndRestoreLeaveEveryChildInPlace) {
  SkinnedDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.show();
  test::Settle();
  const auto before = ChildGeometries(dialog);

  // A minimised window may be given a tiny size; that change is not a resize
  // the children follow, so restoring brings back exactly the old layout.
  dialog.setWindowState(Qt::WindowMinimized);
  dialog.resize(160, 24);
  test::Settle();
  dialog.setWindowState(Qt::WindowNoState);
  dialog.resize(500, 300);
  test::Settle();
  EXPECT_EQ(ChildGeometries(dialog), before);
}

TEST_F(DialogTest, MinimiseButtonResetsItselfAndMinimises) {
  SkinnedDialog dialog;
  ASSERT_TRUE(dialog.Create());
  dialog.show();
  test::Settle();
  dialog.minimizeButton()->SetState(Focus);
  dialog.minimizeButton()->click();
  EXPECT_EQ(dialog.minimizeButton()->state(), Normal);
  EXPECT_TRUE(dialog.windowState() & Qt::WindowMinimized);
}

TEST_F(DialogTest, CloseButtonEndsAModalRunWithIdokAndEscapeWithIdcancel) {
  SkinnedDialog closed;
  QTimer::singleShot(0, &closed, [&closed] { closed.closeButton()->click(); });
  EXPECT_EQ(closed.DoModal(), IDOK);

  SkinnedDialog escaped;
  QTimer::singleShot(0, &escaped, [&escaped] { QTest::keyClick(&escaped, Qt::Key_Escape); });
  EXPECT_EQ(escaped.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, DraggingTheFreeSurfaceMovesTheWindow) {
  SkinnedDialog dialog;
  ASSERT_TRUE(ShowModeless(&dialog));
  const QPoint start = dialog.pos();
  Drag(&dialog, QPoint(250, 200));
  EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));
}

TEST_F(DialogTest, PressingOnAChildOrAHiddenPlaceholderDoesNotMove) {
  SkinnedDialog dialog;
  ASSERT_TRUE(ShowModeless(&dialog));
  const QPoint start = dialog.pos();
  // The label lets the press through to the dialog; the placeholder is hidden.
  Drag(&dialog, dialog.GetDlgItem(kLabel)->geometry().center());
  Drag(&dialog, dialog.GetDlgItem(kPlaceholder)->geometry().center());
  Drag(dialog.GetDlgItem(kButton), QPoint(5, 5));
  EXPECT_EQ(dialog.pos(), start);
}

TEST_F(DialogTest, DoubleClickOnTheSurfaceDoesNothing) {
  SkinnedDialog dialog;
  ASSERT_TRUE(ShowModeless(&dialog));
  const QPoint start = dialog.pos();
  SendMouse(&dialog, QEvent::MouseButtonDblClick, QPoint(250, 200), Qt::LeftButton);
  SendMouse(&dialog, QEvent::MouseMove, QPoint(290, 230), Qt::LeftButton);
  EXPECT_EQ(dialog.pos(), start);
  EXPECT_EQ(dialog.windowState(), Qt::WindowNoState);
}

TEST_F(DialogTest, PressingOnAPageMovesTheWindowItSitsIn) {
  SkinnedDialog window;
  ASSERT_TRUE(window.Create());
  auto* page = new Page(&window);
  ASSERT_TRUE(page->Create());
  page->move(100, 100);
  window.move(100, 100);
  window.show();
  test::Settle();
  ASSERT_FALSE(page->isWindow());
  ASSERT_TRUE(page->isVisible());

  const QPoint start = window.pos();
  Drag(page, QPoint(10, 10));
  EXPECT_EQ(window.pos(), start + QPoint(30, 20));
  Drag(page->Item<CZyListCtrl>(kPageList)->viewport(), QPoint(5, 5));
  EXPECT_EQ(window.pos(), start + QPoint(30, 20));
}

TEST_F(DialogTest, APageIgnoresEscapeAndEnterAndDeletesItselfWhenDestroyed) {
  SkinnedDialog window;
  ASSERT_TRUE(window.Create());
  QPointer<Page> page = new Page(&window);
  ASSERT_TRUE(page->Create());
  window.show();
  test::Settle();

  QWidget* list = page->GetDlgItem(kPageList);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Escape);
  QTest::keyClick(list, Qt::Key_Return);
  test::Settle();
  EXPECT_TRUE(page->isVisible());
  EXPECT_TRUE(window.isVisible());

  page->DestroyWindow();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(page.isNull());
}

}  // namespace
}  // namespace nv
