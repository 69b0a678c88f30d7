#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "skin/skin_images.h"
#include "skin/zy_button.h"
#include "skin/zy_edit.h"
#include "test_skin.h"

namespace nv {
namespace {

const QColor kNormal(200, 0, 0);
const QColor kSelected(0, 0, 200);
const QColor kFocus(0, 200, 0);

class ButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    skin_.Put(2, QSize(60, 24), kNormal);
    skin_.Put(3, QSize(60, 24), kFocus);
    skin_.Put(25, QSize(40, 30), kNormal);
    skin_.Put(26, QSize(40, 30), kFocus);
    skin_.Put(27, QSize(40, 30), kSelected);
    skin_.Put(10, QSize(40, 20), kNormal);
    skin_.Put(11, QSize(40, 20), kFocus);
    window_.resize(300, 200);
    window_.show();
    test::Settle();
  }

  // An image button with three different images.
  CZyButton* ImageButton() {
    auto* button = new CZyButton(&window_);
    button->SetImages(GetSkinImagePath(25), GetSkinImagePath(27), GetSkinImagePath(26));
    button->setGeometry(10, 10, 80, 30);
    button->show();
    test::Settle();
    return button;
  }

  // The colour the button draws at a point.
  static QColor Drawn(QWidget* widget, QPoint at) { return widget->grab().toImage().pixelColor(at); }

  test::TestSkin skin_;
  QWidget window_;
};

TEST_F(ButtonTest, StateFollowsPointerPressReleaseAndFocusLoss) {
  CZyButton* button = ImageButton();
  QWidget other(&window_);
  other.setFocusPolicy(Qt::StrongFocus);
  other.setGeometry(150, 10, 50, 50);
  other.show();
  window_.activateWindow();
  test::Settle();

  EXPECT_EQ(button->state(), Normal);
  QTest::mouseMove(button, QPoint(20, 15));
  EXPECT_EQ(button->state(), Focus);
  QTest::mousePress(button, Qt::LeftButton, {}, QPoint(20, 15));
  EXPECT_EQ(button->state(), Selected);
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(20, 15));
  EXPECT_EQ(button->state(), Focus);
  QTest::mouseMove(&window_, QPoint(120, 150));
  EXPECT_EQ(button->state(), Normal);

  button->setFocus();
  button->SetState(Focus);
  other.setFocus();
  test::Settle();
  EXPECT_EQ(button->state(), Normal);
}

TEST_F(ButtonTest, DisabledButtonDrawsInTheDisabledState) {
  CZyButton* button = ImageButton();
  button->setEnabled(false);
  button->grab();
  EXPECT_EQ(button->state(), Disabled);
  button->setEnabled(true);
  button->grab();
  EXPECT_EQ(button->state(), Normal);
}

TEST_F(ButtonTest, DrawsTheImageOfItsStateStretchedOverTheButton) {
  CZyButton* button = ImageButton();
  EXPECT_FALSE(button->selectedEqualsFocus());
  const QPoint centre(40, 15);
  EXPECT_EQ(Drawn(button, centre), kNormal);
  button->SetState(Focus);
  EXPECT_EQ(Drawn(button, centre), kFocus);
  button->SetState(Selected);
  EXPECT_EQ(Drawn(button, centre), kSelected);
  EXPECT_EQ(Drawn(button, QPoint(1, 1)), kSelected);  // distinct images: no pressed edge

  // The current page's button shows its selected image whatever the pointer does.
  button->SetKeepSelected(true);
  for (ZyButtonState state : {Normal, Focus}) {
    button->SetState(state);
    EXPECT_EQ(Drawn(button, centre), kSelected);
  }

  button->SizeToImage();
  EXPECT_EQ(button->geometry(), QRect(10, 10, 40, 30));
}

TEST_F(ButtonTest, TextButtonLooksPressedThoughItsPressedImageIsItsHoverImage) {
  auto* button = new CGeneralZyButton(&window_);
  button->setGeometry(10, 60, 60, 24);
  button->setText("Go");
  button->show();
  EXPECT_TRUE(button->selectedEqualsFocus());
  EXPECT_EQ(button->textColor(), QColor(Qt::white));

  button->SetState(Focus);
  EXPECT_EQ(Drawn(button, QPoint(1, 1)), kFocus);
  button->SetState(Selected);
  EXPECT_NE(Drawn(button, QPoint(1, 1)), kFocus);  // the raised inner edge
  EXPECT_EQ(Drawn(button, QPoint(0, 0)), kFocus);  // inset by one pixel
  EXPECT_EQ(button->caption(), "Go");
}

TEST_F(ButtonTest, EditShowsTheFocusImageWhileFocusedOrUnderThePointer) {
  auto* edit = new CGeneralZyEdit(&window_);
  edit->setGeometry(10, 100, 120, 24);
  QLineEdit other(&window_);
  other.setGeometry(10, 150, 120, 24);
  edit->show();
  other.show();
  window_.activateWindow();
  other.setFocus();
  test::Settle();
  const QPoint inside(110, 21);  // clear of the text and the cursor
  EXPECT_EQ(Drawn(edit, inside), kNormal);

  edit->setFocus();
  QTest::mouseMove(&window_, QPoint(250, 190));
  test::Settle();
  EXPECT_EQ(Drawn(edit, inside), kFocus);

  other.setFocus();
  test::Settle();
  EXPECT_EQ(Drawn(edit, inside), kNormal);
  QTest::mouseMove(edit, inside);
  test::Settle();
  EXPECT_TRUE(edit->tracking());
  EXPECT_EQ(Drawn(edit, inside), kFocus);
  QTest::mouseMove(&window_, QPoint(250, 190));
  test::Settle();
  EXPECT_EQ(Drawn(edit, inside), kNormal);

  // A change made by code counts as being focused until the focus next leaves.
  edit->setText("typed by code");
  EXPECT_TRUE(edit->focused());
  EXPECT_EQ(Drawn(edit, inside), kFocus);
  edit->setFocus();
  other.setFocus();
  test::Settle();
  EXPECT_FALSE(edit->focused());
}

}  // namespace
}  // namespace nv
