// Runs the toolkit tests inside one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstring>

#include "core/core_manager.h"

namespace {

// The offscreen platform warns whenever a window is shaped, raised or grabs
// the keyboard; the tests read such state back from the widgets instead.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i) listing |= std::strcmp(argv[i], "--gtest_list_tests") == 0;
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests (done at build time) needs no window system.
  if (listing) return RUN_ALL_TESTS();

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QApplication application(argc, argv);
  const int result = RUN_ALL_TESTS();
  nv::DestroyCoreManager();
  return result;
}
