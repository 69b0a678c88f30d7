// A skin folder of plain test images, so the tests do not depend on the look.
#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSize>
#include <QTemporaryDir>
#include <string>

#include "skin/skin_images.h"

namespace nv::test {

class TestSkin {
 public:
  TestSkin() : previous_(GetSkinFolder()) { SetSkinFolder(folder()); }
  ~TestSkin() { SetSkinFolder(previous_); }

  std::string folder() const { return dir_.path().toStdString() + "/Skin"; }

  // Writes the image of an id, creating its subfolder.
  void Put(int id, const QImage& image) const {
    const QString path = QString::fromStdString(GetSkinImagePath(id));
    QDir().mkpath(QFileInfo(path).absolutePath());
    image.save(path, "PNG");
  }
  // A solid image of the size.
  void Put(int id, const QSize& size, const QColor& colour) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    Put(id, image);
  }

 private:
  QTemporaryDir dir_;
  std::string previous_;
};

// Runs pending events, several rounds, so posted work settles.
inline void Settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

}  // namespace nv::test
