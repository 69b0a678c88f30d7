#include "skin/skin_images.h"

#include <QPainter>
#include <algorithm>
#include <array>

#include "platform/env.h"
#include "platform/known_folders.h"

namespace nv {
namespace {

// Relative names by id; the program finds every image by these names.
constexpr std::array<const char*, kSkinImageCount> kRelativeNames = {
    "window/PASSWORD_BKG.png",           // 0
    "window/MESSAGE_BKG.png",            // 1
    "misc/BTN_NORMAL.png",               // 2
    "misc/BTN_FOCUS.png",                // 3
    "misc/BTN_CLOSE_NORMAL.png",         // 4
    "misc/BTN_CLOSE_FOCUS.png",          // 5
    "misc/BTN_CLOSE_SELECTED.png",       // 6
    "misc/BTN_MIN_NORMAL.png",           // 7
    "misc/BTN_MIN_FOCUS.png",            // 8
    "misc/BTN_MIN_SELECTED.png",         // 9
    "misc/EDIT_NORMAL.png",              // 10
    "misc/EDIT_FOCUS.png",               // 11
    "misc/ICO_OK.png",                   // 12
    "misc/ICO_OK_S.png",                 // 13
    "misc/ICO_ERROR.png",                // 14
    "misc/ICO_ERROR_S.png",              // 15
    "misc/ICO_TIP.png",                  // 16
    "misc/ICO_TIP_S.png",                // 17
    "misc/ICO_WARNING.png",              // 18
    "misc/ICO_WARNING_S.png",            // 19
    "misc/ICO_ASK.png",                  // 20
    "misc/ICO_ASK_S.png",                // 21
    "main/MAIN_BKG.png",                 // 22
    "main/MAIN_LOGO.png",                // 23
    "main/MAIN_SEPERATOR.png",           // 24
    "main/BTN_ENCRYPTOR_NORMAL.png",     // 25
    "main/BTN_ENCRYPTOR_FOCUS.png",      // 26
    "main/BTN_ENCRYPTOR_SELECTED.png",   // 27
    "main/BTN_SHREDDER_NORMAL.png",      // 28
    "main/BTN_SHREDDER_FOCUS.png",       // 29
    "main/BTN_SHREDDER_SELECTED.png",    // 30
    "main/BTN_BACKUP_NORMAL.png",        // 31
    "main/BTN_BACKUP_FOCUS.png",         // 32
    "main/BTN_BACKUP_SELECTED.png",      // 33
    "main/BTN_LOCKER_NORMAL.png",        // 34
    "main/BTN_LOCKER_FOCUS.png",         // 35
    "main/BTN_LOCKER_SELECTED.png",      // 36
    "main/BTN_HELP_NORMAL.png",          // 37
    "main/BTN_HELP_FOCUS.png",           // 38
    "main/BTN_HELP_SELECTED.png",        // 39
    "main/BTN_FEEDBACK_NORMAL.png",      // 40
    "main/BTN_FEEDBACK_FOCUS.png",       // 41
    "main/BTN_FEEDBACK_SELECTED.png",    // 42
    "encryptor/ENCRYPTOR_BKG.png",       // 43
    "shredder/SHREDDER_BKG.png",         // 44
    "backup/BACKUP_BKG.png",             // 45
    "locker/LOCKER_BKG.png",             // 46
    "window/PROGRESS_BKG.png",           // 47
    "window/LOG_BKG.png",                // 48
    "window/ABOUT_BKG.png",              // 49
    "misc/ICO_ENCRYPT.png",              // 50
    "misc/ICO_DECRYPT.png",              // 51
    "misc/ICO_SHRED.png",                // 52
};

std::string& SkinFolder() {
  static std::string folder;
  return folder;
}

bool& SkinFolderSet() {
  static bool set = false;
  return set;
}

// Largest corner kept unscaled when an image is stretched.
constexpr int kMaxCorner = 6;

}  // namespace

void SetSkinFolder(const std::string& folder) {
  SkinFolder() = folder;
  SkinFolderSet() = true;
}

const std::string& GetSkinFolder() {
  if (!SkinFolderSet()) SetSkinFolder(JoinPath(GetSpecialFolders().programFolder, "Skin"));
  return SkinFolder();
}

std::string GetSkinImagePath(int id) {
  std::string path = GetSkinFolder() + "/";
  if (id >= 0 && id < kSkinImageCount) path += kRelativeNames[static_cast<size_t>(id)];
  return path;
}

QImage LoadPngBitmap(const std::string& path) {
  QImage image;
  if (!image.load(QString::fromStdString(path), "PNG")) return QImage();
  return image;
}

QImage LoadSkinBitmap(int id) { return LoadPngBitmap(GetSkinImagePath(id)); }

void DrawStretched(QPainter& painter, const QRect& target, const QImage& image) {
  if (image.isNull() || target.isEmpty()) return;
  if (image.size() == target.size()) {
    painter.drawImage(target.topLeft(), image);
    return;
  }
  const int w = image.width();
  const int h = image.height();
  const int cx = std::min({kMaxCorner, w / 3, target.width() / 2});
  const int cy = std::min({kMaxCorner, h / 3, target.height() / 2});
  // Source and target cuts: corner, middle, corner on each axis.
  const int sx[4] = {0, cx, w - cx, w};
  const int sy[4] = {0, cy, h - cy, h};
  const int tx[4] = {target.left(), target.left() + cx, target.right() + 1 - cx, target.right() + 1};
  const int ty[4] = {target.top(), target.top() + cy, target.bottom() + 1 - cy, target.bottom() + 1};
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      const QRect from(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
      const QRect to(QPoint(tx[col], ty[row]), QPoint(tx[col + 1] - 1, ty[row + 1] - 1));
      if (from.isEmpty() || to.isEmpty()) continue;
      painter.drawImage(to, image, from);
    }
  }
  painter.restore();
}

QImage WithWhiteTransparent(const QImage& image) {
  if (image.isNull()) return image;
  QImage keyed = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < keyed.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
    for (int x = 0; x < keyed.width(); ++x) {
      if ((line[x] & 0x00FFFFFFu) == 0x00FFFFFFu) line[x] = 0;
    }
  }
  return keyed;
}

}  // namespace nv
