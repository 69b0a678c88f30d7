// Saves a picture of every window of the skinned toolkit, drawn with the real
// skin beside the program, into the folder given on the command line:
//
//   QT_QPA_PLATFORM=offscreen build/bin/skin_gallery OUT_FOLDER
#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstdlib>

#include "previews.h"
#include "skin/look.h"
#include "skin/message_box.h"

namespace {

// The offscreen platform cannot shape or raise windows; the pictures apply the
// outline themselves, so its warnings are noise here.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (message.startsWith(QLatin1String("This plugin does not support"))) return;
  std::fprintf(stderr, "%s\n", qPrintable(message));
  if (type == QtFatalMsg) std::abort();
}

bool Save(const QImage& picture, const QString& folder, const char* name) {
  const QString path = folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png");
  if (picture.isNull() || !picture.save(path, "PNG")) {
    std::fprintf(stderr, "skin_gallery: cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Pictures need no screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QuietMessages);
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: skin_gallery OUT_FOLDER\n");
    return 2;
  }
  nv::ApplySkinLook(application);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "skin_gallery: cannot create %s\n", argv[1]);
    return 1;
  }

  using namespace gallery;
  bool ok = true;
  ok &= Save(ControlsSheet(), folder, "controls");
  ok &= Save(MessageBoxPicture(QStringLiteral("Save OK."), nv::MI_OK, nv::MB_OK), folder, "message_ok");
  ok &= Save(MessageBoxPicture(QStringLiteral("Save failed."), nv::MI_ERROR, nv::MB_OK), folder, "message_error");
  ok &= Save(MessageBoxPicture(QStringLiteral("Cannot add folders under system path or Norvane path."),
                               nv::MI_WARNING, nv::MB_OK), folder, "message_warning");
  ok &= Save(MessageBoxPicture(QStringLiteral("Please select items."), nv::MI_TIP, nv::MB_OK), folder, "message_tip");
  ok &= Save(MessageBoxPicture(QStringLiteral("Are you sure to abort current opertion?"), nv::MI_ASK,
                               nv::MB_YESNO), folder, "message_yesno");
  ok &= Save(MessageBoxPicture(QStringLiteral("Do you want to decrypt encrypted items?"), nv::MI_ASK,
                               nv::MB_YESNOCANCEL), folder, "message_yesnocancel");
  ok &= Save(MessageBoxPicture(QStringLiteral("Replace the existing image file?"), nv::MI_WARNING,
                               nv::MB_OKCANCEL), folder, "message_okcancel");
  ok &= Save(MessageBoxPicture(QStringLiteral("Icon value 7 shows the OK icon."), 7, nv::MB_OK), folder,
             "message_icon7");
  ok &= Save(PagePicture(135), folder, "page_backup");
  ok &= Save(PagePicture(136), folder, "page_shredder");
  ok &= Save(PagePicture(137), folder, "page_encryptor");
  ok &= Save(PagePicture(140), folder, "page_locker");
  ok &= Save(PasswordPicture(), folder, "password");
  ok &= Save(ProgressPicture(), folder, "progress");
  ok &= Save(LogPicture(), folder, "log");
  ok &= Save(AboutPicture(), folder, "about");
  ok &= Save(MainWindowPicture(), folder, "main");
  return ok ? 0 : 1;
}
