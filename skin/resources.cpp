#include "skin/resources.h"

#include <map>

namespace nv {
namespace {

// MulDiv's rounding: to the nearest integer, halves away from zero.
int MulDivRound(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}

}  // namespace

int DialogUnitsToPixelsX(int x) { return MulDivRound(x, 6, 4); }
int DialogUnitsToPixelsY(int y) { return MulDivRound(y, 13, 8); }

QRect DialogUnitsToPixels(int x, int y, int cx, int cy) {
  const int left = DialogUnitsToPixelsX(x);
  const int top = DialogUnitsToPixelsY(y);
  const int right = DialogUnitsToPixelsX(x + cx);
  const int bottom = DialogUnitsToPixelsY(y + cy);
  return QRect(left, top, right - left, bottom - top);
}

QString LoadStringResource(int id) {
  static const std::map<int, const char*> kStrings = {
      {166, "OK"},
      {167, "Cancel"},
      {168, "Yes"},
      {169, "No"},
      {170, "Ver. 1.0.1"},
      {173, "Norvane"},
      {175, "Password and Confirm does not match."},
      {176, "Password - Norvane"},
      {177,
       "All-in-one Tool to Protect File and Privacy. It can encrypt files, backup files, shred "
       "files and password lock any external drives. This program is free for all users. If you "
       "have any questions, please contact us via this address:"},
      {179, "Please input password."},
      {184, "Normal"},
      {185, "N/A"},
      {190, "Password is too short."},
      {206, "Console - Norvane"},
      {207, "Encrypted"},
  };
  auto it = kStrings.find(id);
  return it == kStrings.end() ? QString() : QString::fromUtf8(it->second);
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/norvane/app_icon_%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace nv
