#include <gtest/gtest.h>

#include <set>

#include "skin/resources.h"

namespace nv {
namespace {

TEST(DialogUnits, ConvertLikeTheStandardDialogFont) {
  const struct {
    int x, y, cx, cy;
    QRect pixels;
  } cases[] = {
      {0, 0, 498, 307, QRect(0, 0, 747, 499)},   // main window
      {0, 0, 204, 109, QRect(0, 0, 306, 177)},   // message box
      {0, 0, 320, 196, QRect(0, 0, 480, 319)},   // log window
      {0, 0, 316, 183, QRect(0, 0, 474, 297)},   // About box
      {127, 49, 365, 241, QRect(191, 80, 547, 391)},  // page area marker, edge by edge
      {25, 90, 50, 14, QRect(38, 146, 75, 23)},  // message box left button
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DialogUnitsToPixels(c.x, c.y, c.cx, c.cy), c.pixels) << c.cx << "x" << c.cy;
  }
}

// Every control of every template has its own id and lies inside its dialog.
TEST(DialogTemplates, ControlsHaveUniqueIdsAndFitTheirDialogs) {
  for (int id : {102, 135, 136, 137, 138, 140, 163, 165, 187, 196}) {
    const DialogTemplate* dialog = FindDialogTemplate(id);
    ASSERT_NE(dialog, nullptr) << id;
    std::set<int> seen;
    for (const ControlTemplate& control : dialog->controls) {
      if (control.id != kStaticId) {
        EXPECT_TRUE(seen.insert(control.id).second) << "template " << id << " id " << control.id;
      }
      EXPECT_GE(control.x, 0) << id << "/" << control.id;
      EXPECT_GE(control.y, 0) << id << "/" << control.id;
      EXPECT_LE(control.x + control.cx, dialog->cx) << id << "/" << control.id;
      EXPECT_LE(control.y + control.cy, dialog->cy) << id << "/" << control.id;
    }
  }
}

TEST(DialogTemplates, RegisteredTemplateReplacesOneWithTheSameId) {
  RegisterDialogTemplate({9990, 10, 10, 0, {{1, ControlKind::kStatic, "a", 0, 0, 5, 5, 0}}});
  const DialogTemplate* first = FindDialogTemplate(9990);
  RegisterDialogTemplate({9990, 20, 20, 0, {}});
  EXPECT_EQ(FindDialogTemplate(9990), first);
  EXPECT_EQ(first->cx, 20);
  EXPECT_EQ(FindDialogTemplate(9991), nullptr);
}

// The icon is compiled into the static library; it must survive linking.
TEST(ApplicationIcon, IsBuiltIntoTheLibrary) {
  const QIcon icon = ApplicationIcon();
  EXPECT_FALSE(icon.pixmap(32, 32).isNull());
  EXPECT_FALSE(icon.pixmap(256, 256).isNull());
}

TEST(StringTable, HoldsTheToolkitTexts) {
  EXPECT_EQ(LoadStringResource(166), "OK");
  EXPECT_EQ(LoadStringResource(173), "Norvane");
  EXPECT_EQ(LoadStringResource(206), "Console - Norvane");
  EXPECT_TRUE(LoadStringResource(1).isEmpty());
}

}  // namespace
}  // namespace nv
