#include <gtest/gtest.h>

#include "skin/zy_static.h"
#include "test_skin.h"

namespace nv {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
  int paints = 0;
};

TEST(StringStatic, RepaintsOnlyWhenTheTextChanges) {
  QWidget window;
  window.resize(200, 100);
  auto* label = new CZyStringStatic(&window);
  label->setGeometry(10, 10, 150, 20);
  label->SetText("0%");
  window.show();
  test::Settle();
  PaintCounter counter;
  label->installEventFilter(&counter);
  window.installEventFilter(&counter);

  label->SetText("0%");
  test::Settle();
  EXPECT_EQ(counter.paints, 0);

  label->SetText("12.5%");
  test::Settle();
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(label->text(), "12.5%");

  label->hide();
  label->SetText("hidden");
  EXPECT_EQ(label->text(), "hidden");
}

}  // namespace
}  // namespace nv
