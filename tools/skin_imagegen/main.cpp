// Draws the skin image set.
//
//   skin_imagegen SKIN_FOLDER        writes the 53 images in their subfolders
//   skin_imagegen --icons FOLDER     writes app_icon_SIZE.png for the program's icon
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>

#include "images.h"

namespace {

bool Save(const QImage& image, const QString& path) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !image.save(path, "PNG")) {
    std::fprintf(stderr, "skin_imagegen: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Drawing text needs the font database, not a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);

  const bool icons = argc == 3 && std::strcmp(argv[1], "--icons") == 0;
  if (argc != 2 && !icons) {
    std::fprintf(stderr, "usage: skin_imagegen SKIN_FOLDER | --icons FOLDER\n");
    return 2;
  }
  const QString folder = QString::fromLocal8Bit(argv[argc - 1]);
  bool ok = true;
  if (icons) {
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
      ok &= Save(skinart::ApplicationIcon(size), QStringLiteral("%1/app_icon_%2.png").arg(folder).arg(size));
    }
  } else {
    for (const skinart::SkinImage& image : skinart::SkinImages()) {
      ok &= Save(image.paint(), folder + QLatin1Char('/') + QLatin1String(image.relativePath));
    }
  }
  return ok ? 0 : 1;
}
