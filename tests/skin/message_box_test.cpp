#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "skin/message_box.h"
#include "skin/zy_button.h"
#include "test_skin.h"

namespace nv {
namespace {

const QColor kBackground(40, 60, 80);
const QColor kOkIcon(0, 160, 0);

class MessageBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    skin_.Put(1, QSize(306, 177), kBackground);
    skin_.Put(2, QSize(75, 23), Qt::blue);
    skin_.Put(3, QSize(75, 23), Qt::cyan);
    // Icons with a white frame, which shows the background through.
    const std::pair<int, QColor> icons[] = {
        {12, kOkIcon}, {14, Qt::red}, {16, Qt::blue}, {18, Qt::yellow}, {20, Qt::magenta}};
    for (const auto& [id, colour] : icons) {
      QImage icon(32, 32, QImage::Format_RGB32);
      icon.fill(Qt::white);
      for (int y = 4; y < 28; ++y) {
        for (int x = 4; x < 28; ++x) icon.setPixelColor(x, y, colour);
      }
      skin_.Put(id, icon);
    }
  }

  test::TestSkin skin_;
};

struct Expected {
  bool shown;
  const char* caption;
  int x;
  int result;
};

struct ButtonSetCase {
  unsigned buttons;
  Expected left, middle, right;
};

// The template puts the buttons (75 wide) at x 38, 116 and 194 in a 306-wide box.
const ButtonSetCase kButtonSets[] = {
    {MB_OK, {true, "OK", 115, IDOK}, {false, "", 0, 0}, {false, "", 0, 0}},
    {MB_OKCANCEL, {true, "OK", 63, IDOK}, {true, "Cancel", 168, IDCANCEL}, {false, "", 0, 0}},
    {MB_YESNO, {true, "Yes", 63, IDYES}, {true, "No", 168, IDNO}, {false, "", 0, 0}},
    {MB_YESNOCANCEL,
     {true, "Yes", 38, IDYES},
     {true, "No", 116, IDNO},
     {true, "Cancel", 194, IDCANCEL}},
};

TEST_F(MessageBoxTest, ButtonSetsShowTheirCaptionsPositionsAndResults) {
  for (const ButtonSetCase& set : kButtonSets) {
    const std::pair<int, const Expected*> buttons[] = {{kMessageLeftButton, &set.left},
                                                       {kMessageMiddleButton, &set.middle},
                                                       {kMessageRightButton, &set.right}};
    for (const auto& [id, expected] : buttons) {
      CZyMessageBox box;
      box.SetText("Question?");
      box.SetIcon(MI_ASK);
      box.SetButtons(set.buttons);
      ASSERT_TRUE(box.Create());
      auto* button = box.Item<CZyButton>(id);
      ASSERT_NE(button, nullptr);
      EXPECT_EQ(button->isVisibleTo(&box), expected->shown) << set.buttons << "/" << id;
      if (!expected->shown) continue;
      EXPECT_EQ(button->caption(), expected->caption) << set.buttons << "/" << id;
      EXPECT_EQ(button->pos(), QPoint(expected->x, 146)) << set.buttons << "/" << id;
      EXPECT_EQ(button->size(), QSize(75, 23));
      EXPECT_EQ(button->textColor(), QColor(Qt::white));

      QTimer::singleShot(0, button, [button] { QTest::mouseClick(button, Qt::LeftButton); });
      box.exec();
      EXPECT_EQ(box.result(), expected->result) << set.buttons << "/" << id;
    }
  }
}

TEST_F(MessageBoxTest, ClosingAnyOtherWayLeavesIdok) {
  CZyMessageBox closed;
  closed.SetButtons(MB_YESNO);
  QTimer::singleShot(0, &closed, [&closed] { closed.closeButton()->click(); });
  closed.DoModal();
  EXPECT_EQ(closed.result(), IDOK);

  CZyMessageBox escaped;
  escaped.SetButtons(MB_YESNOCANCEL);
  QTimer::singleShot(0, &escaped, [&escaped] { QTest::keyClick(&escaped, Qt::Key_Escape); });
  escaped.DoModal();
  EXPECT_EQ(escaped.result(), IDOK);
}

TEST_F(MessageBoxTest, ShowsTextTitleAndIconWithWhiteTransparent) {
  CZyMessageBox box;
  box.SetText("Save OK.");
  box.SetIcon(7);  // not a known icon: the OK icon
  ASSERT_TRUE(box.Create());
  EXPECT_EQ(box.windowTitle(), "Message - Norvane");
  EXPECT_EQ(box.size(), QSize(306, 177));
  EXPECT_EQ(box.Item<QLabel>(kMessageText)->text(), "Save OK.");
  EXPECT_EQ(box.Item<QLabel>(kMessageText)->geometry(), QRect(63, 50, 219, 75));

  const QPoint icon = box.GetDlgItem(kMessageIconMarker)->geometry().topLeft();
  EXPECT_EQ(icon, QPoint(17, 50));
  const QImage drawn = box.grab().toImage();
  EXPECT_EQ(drawn.pixelColor(icon + QPoint(10, 10)), kOkIcon);
  EXPECT_EQ(drawn.pixelColor(icon + QPoint(1, 1)), kBackground);
}

TEST_F(MessageBoxTest, ScriptAnswersShowMessageWithoutAWindow) {
  MessageScript script{IDYES, IDNO};
  EXPECT_EQ(ShowMessage("Shred selected items?", MI_ASK, MB_YESNO), IDYES);
  EXPECT_EQ(ShowMessage("Do you want to decrypt encrypted items?", MI_ASK, MB_YESNOCANCEL), IDNO);
  EXPECT_EQ(ShowMessage("Save OK."), IDOK);  // the script is used up
  EXPECT_EQ(ShowMessage(175), IDOK);
  EXPECT_EQ(script.pending(), 0u);

  ASSERT_EQ(script.shown().size(), 4u);
  EXPECT_EQ(script.shown()[1].text, "Do you want to decrypt encrypted items?");
  EXPECT_EQ(script.shown()[1].buttons, MB_YESNOCANCEL);
  EXPECT_EQ(script.shown()[2].icon, MI_OK);
  EXPECT_EQ(script.shown()[3].text, "Password and Confirm does not match.");
  EXPECT_EQ(script.shown()[3].icon, MI_ERROR);
  EXPECT_EQ(script.shown()[3].buttons, MB_OK);
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(qobject_cast<CZyMessageBox*>(widget)) << "a box was built";
  }
}

TEST_F(MessageBoxTest, ShowMessageRunsARealBoxWithoutAScript) {
  QTimer::singleShot(0, [] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<CZyMessageBox*>(widget); box && box->isVisible()) {
        box->Item<CZyButton>(kMessageMiddleButton)->click();
      }
    }
  });
  EXPECT_EQ(ShowMessage("Are you sure to abort current opertion?", MI_ASK, MB_YESNO), IDNO);
}

}  // namespace
}  // namespace nv
