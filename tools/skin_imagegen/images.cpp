// The pictures of the skin. Sizes match the windows that draw them:
//   main window 747 x 499 (caption band 72), pages 548 x 392,
//   message box 306 x 177, password dialog 330 x 208, progress dialog
//   450 x 244, log window 480 x 319, About box 474 x 297 (caption bands 36,
//   or 60 for the log window and the About box);
//   text buttons 75 x 23, caption/help/About buttons 20 x 20, navigation
//   buttons 178 x 54, edits 120 x 28 (2 pixels of margin fall outside the
//   box), icons 32 x 32 and 16 x 16, logo 240 x 63, separator 1 x 20.
#include "images.h"

#include <QLinearGradient>

#include "painting.h"
#include "palette.h"

namespace skinart {
namespace {

// Where the buttons of each dialog's footer start (the footer is tinted).
struct WindowLayout {
  int width;
  int height;
  int header;
  int footerTop;  // 0: no footer
};

void DrawWindowBorder(QPainter& painter, const QSize& size, int fromY) {
  painter.save();
  painter.setClipRect(0, fromY, size.width(), size.height() - fromY);
  painter.setPen(QPen(kWindowBorder, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), 5, 5);
  painter.restore();
}

void DrawHeader(QPainter& painter, int width, int height) {
  painter.fillRect(0, 0, width, height, kHeader);
  const bool tall = height >= kTallHeaderHeight;
  const qreal shield = tall ? 30 : 20;
  DrawBrand(painter, QPointF(tall ? 18 : 12, (height - shield) / 2), shield, tall ? 19 : 13);
}

QImage DialogBackground(const WindowLayout& layout) {
  QImage image = Filled(layout.width, layout.height, kPanel);
  QPainter painter(&image);
  Prepare(painter);
  DrawHeader(painter, layout.width, layout.header);
  if (layout.footerTop > 0) {
    painter.fillRect(0, layout.footerTop, layout.width, layout.height - layout.footerTop, kPanelTint);
    painter.fillRect(0, layout.footerTop, layout.width, 1, kHairline);
  }
  DrawWindowBorder(painter, image.size(), layout.header);
  return Finish(image, kPanel);
}

QImage MainBackground() {
  constexpr int kWidth = 747, kHeight = 499;
  const QRect pageArea(191, 80, 548, 392);
  QImage image = Filled(kWidth, kHeight, kSurface);
  QPainter painter(&image);
  Prepare(painter);
  painter.fillRect(0, 0, kWidth, kMainHeaderHeight, kHeader);
  // A soft shadow lifts the page area off the surface.
  painter.setPen(Qt::NoPen);
  QPainterPath outside;
  outside.addRect(0, 0, kWidth, kHeight);
  QPainterPath inside;
  inside.addRoundedRect(QRectF(pageArea), 5, 5);
  painter.setClipPath(outside.subtracted(inside));
  for (int spread = 6; spread >= 1; --spread) {
    painter.setBrush(QColor(20, 32, 60, 5));
    painter.drawRoundedRect(QRectF(pageArea).adjusted(-spread, -spread + 2, spread, spread + 2),
                            6 + spread, 6 + spread);
  }
  painter.setClipping(false);
  DrawWindowBorder(painter, image.size(), kMainHeaderHeight);
  return Finish(image, kSurface);
}

using Pictogram = void (*)(QPainter&, const QRectF&, const QColor&);

void Lock(QPainter& painter, const QRectF& box, const QColor& colour) {
  DrawPadlock(painter, box, colour, false, kAccentSoft);
}
void Usb(QPainter& painter, const QRectF& box, const QColor& colour) {
  DrawUsbDrive(painter, box, colour, kAccentSoft);
}

QImage PageBackground(Pictogram pictogram) {
  constexpr int kWidth = 548, kHeight = 392, kStrip = 54;
  QImage image = Filled(kWidth, kHeight, kPanel);
  QPainter painter(&image);
  Prepare(painter);
  painter.fillRect(0, 0, kWidth, kStrip, kPanelTint);
  painter.fillRect(0, kStrip, kWidth, 1, kHairline);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kAccentSoft);
  const QRectF badge(15, 9, 36, 36);
  painter.drawRoundedRect(badge, 9, 9);
  pictogram(painter, badge.adjusted(7, 7, -7, -7), kAccent);
  painter.setPen(QPen(kBorder, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1), 5, 5);
  return Finish(image, kPanel);
}

QImage TextButton(const QColor& top, const QColor& bottom, const QColor& edge) {
  QImage image = Clear(75, 23);
  QPainter painter(&image);
  Prepare(painter);
  QLinearGradient fill(0, 0, 0, 23);
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  painter.setPen(QPen(edge, 1));
  painter.setBrush(fill);
  painter.drawRoundedRect(QRectF(0.5, 0.5, 74, 22), 4, 4);
  return Finish(image, kPanel);
}

enum class Glyph { kMinimise, kClose, kHelp, kAbout };
enum class Look { kNormal, kHover, kPressed };

QImage CaptionButton(Glyph glyph, Look look) {
  QImage image = Clear(20, 20);
  QPainter painter(&image);
  Prepare(painter);
  QColor back = Qt::transparent;
  if (look == Look::kHover) back = glyph == Glyph::kClose ? kError : kHeaderHover;
  if (look == Look::kPressed) back = glyph == Glyph::kClose ? kError.darker(125) : kHeaderPressed;
  painter.setPen(Qt::NoPen);
  painter.setBrush(back);
  painter.drawRoundedRect(QRectF(0, 0, 20, 20), 4, 4);
  const QColor ink = look == Look::kNormal ? kHeaderGlyph : QColor(Qt::white);
  const QRectF box(0, 0, 20, 20);
  switch (glyph) {
    case Glyph::kMinimise:
      painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(QPointF(6, 10.5), QPointF(14, 10.5));
      break;
    case Glyph::kClose:
      painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap));
      painter.drawLine(QPointF(6.5, 6.5), QPointF(13.5, 13.5));
      painter.drawLine(QPointF(13.5, 6.5), QPointF(6.5, 13.5));
      break;
    case Glyph::kHelp:
    case Glyph::kAbout:
      painter.setPen(QPen(ink, 1.3));
      painter.setBrush(Qt::NoBrush);
      painter.drawEllipse(QPointF(10, 10), 7, 7);
      if (glyph == Glyph::kHelp) {
        DrawQuestion(painter, box.adjusted(3, 3, -3, -3), ink, 1.5);
      } else {
        DrawInfo(painter, box.adjusted(3, 3.5, -3, -2.5), ink, 1.6);
      }
      break;
  }
  return Finish(image, kHeader);
}

QImage Edit(bool focus) {
  QImage image = Clear(120, 28);
  QPainter painter(&image);
  Prepare(painter);
  painter.setPen(QPen(focus ? kAccent : kBorder, 1));
  painter.setBrush(kPanel);
  painter.drawRoundedRect(QRectF(2.5, 2.5, 115, 23), 4, 4);
  if (focus) {
    QColor ring = kAccent;
    ring.setAlpha(60);
    painter.setPen(QPen(ring, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(3.5, 3.5, 113, 21), 3, 3);
  }
  return Finish(image, kPanel);
}

enum class Sign { kOk, kError, kTip, kWarning, kAsk };

QImage SignIcon(Sign sign, int size) {
  QImage image = Clear(size, size);
  QPainter painter(&image);
  Prepare(painter);
  const QRectF box(0, 0, size, size);
  const qreal stroke = size >= 32 ? 3.0 : 1.7;
  painter.setPen(Qt::NoPen);
  if (sign == Sign::kWarning) {
    QPainterPath triangle;
    const qreal m = size * 0.04;
    triangle.moveTo(size / 2.0, m + size * 0.04);
    triangle.lineTo(size - m, size - m - size * 0.06);
    triangle.lineTo(m, size - m - size * 0.06);
    triangle.closeSubpath();
    painter.setPen(QPen(kWarning, size * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(kWarning);
    painter.drawPath(triangle);
    DrawExclamation(painter, box.adjusted(0, size * 0.08, 0, 0), kWarningGlyph, stroke);
    return Finish(image, kPanel);
  }
  const QColor colours[] = {kOk, kError, kTip, kWarning, kAsk};
  painter.setBrush(colours[static_cast<int>(sign)]);
  painter.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
  switch (sign) {
    case Sign::kOk: DrawCheckMark(painter, box, kGlyph, stroke); break;
    case Sign::kError: DrawCross(painter, box, kGlyph, stroke); break;
    case Sign::kTip: DrawInfo(painter, box, kGlyph, stroke); break;
    case Sign::kAsk: DrawQuestion(painter, box, kGlyph, stroke); break;
    case Sign::kWarning: break;
  }
  return Finish(image, kPanel);
}

enum class Operation { kEncrypt, kDecrypt, kShred };

QImage OperationIcon(Operation operation) {
  QImage image = Clear(32, 32);
  QPainter painter(&image);
  Prepare(painter);
  const QColor colour = operation == Operation::kEncrypt   ? kAccent
                        : operation == Operation::kDecrypt ? kDecrypt
                                                           : kShred;
  QColor soft = colour;
  soft.setAlpha(34);
  painter.setPen(Qt::NoPen);
  painter.setBrush(soft);
  painter.drawRoundedRect(QRectF(0, 0, 32, 32), 8, 8);
  const QRectF box(6, 6, 20, 20);
  // The keyhole shows the tinted badge through.
  const QColor cutout = QColor::fromRgbF(1 - (1 - colour.redF()) * 34 / 255.0,
                                         1 - (1 - colour.greenF()) * 34 / 255.0,
                                         1 - (1 - colour.blueF()) * 34 / 255.0);
  switch (operation) {
    case Operation::kEncrypt: DrawPadlock(painter, box, colour, false, cutout); break;
    case Operation::kDecrypt: DrawPadlock(painter, box, colour, true, cutout); break;
    case Operation::kShred: DrawShredder(painter, box, colour); break;
  }
  return Finish(image, kPanel);
}

QImage NavigationButton(Pictogram pictogram, Look look) {
  QImage image = Clear(178, 54);
  QPainter painter(&image);
  Prepare(painter);
  const QRectF pill(8.5, 6.5, 162, 41);
  QColor ink = kIconMuted;
  if (look == Look::kHover) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNavHover);
    painter.drawRoundedRect(pill, 9, 9);
    ink = kIconMuted.darker(125);
  } else if (look == Look::kPressed) {
    // The current page: a white tab with an accent bar.
    painter.setPen(QPen(kBorder, 1));
    painter.setBrush(kPanel);
    painter.drawRoundedRect(pill, 9, 9);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kAccent);
    painter.drawRoundedRect(QRectF(13, 17, 3.5, 20), 1.75, 1.75);
    ink = kAccent;
  }
  pictogram(painter, QRectF(26, 16, 22, 22), ink);
  return Finish(image, kSurface);
}

QImage Logo() {
  QImage image = Clear(240, 63);
  QPainter painter(&image);
  Prepare(painter);
  DrawBrand(painter, QPointF(12, 14), 35, 24);
  return Finish(image, kHeader);
}

QImage Separator() { return Finish(Filled(1, 20, kHeaderLine), kHeader); }

}  // namespace

std::vector<SkinImage> SkinImages() {
  const WindowLayout password{330, 208, kHeaderHeight, 148};
  const WindowLayout message{306, 177, kHeaderHeight, 136};
  const WindowLayout progress{450, 244, kHeaderHeight, 182};
  const WindowLayout log{480, 319, kTallHeaderHeight, 282};
  const WindowLayout about{474, 297, kTallHeaderHeight, 249};
  const QColor buttonEdge = kAccentDeep;
  return {
      {0, "window/PASSWORD_BKG.png", [=] { return DialogBackground(password); }},
      {1, "window/MESSAGE_BKG.png", [=] { return DialogBackground(message); }},
      {2, "misc/BTN_NORMAL.png", [=] { return TextButton(QColor(0x3A, 0x78, 0xF0), kAccent, buttonEdge); }},
      {3, "misc/BTN_FOCUS.png", [=] { return TextButton(QColor(0x5C, 0x93, 0xF6), kAccentHover, buttonEdge); }},
      {4, "misc/BTN_CLOSE_NORMAL.png", [] { return CaptionButton(Glyph::kClose, Look::kNormal); }},
      {5, "misc/BTN_CLOSE_FOCUS.png", [] { return CaptionButton(Glyph::kClose, Look::kHover); }},
      {6, "misc/BTN_CLOSE_SELECTED.png", [] { return CaptionButton(Glyph::kClose, Look::kPressed); }},
      {7, "misc/BTN_MIN_NORMAL.png", [] { return CaptionButton(Glyph::kMinimise, Look::kNormal); }},
      {8, "misc/BTN_MIN_FOCUS.png", [] { return CaptionButton(Glyph::kMinimise, Look::kHover); }},
      {9, "misc/BTN_MIN_SELECTED.png", [] { return CaptionButton(Glyph::kMinimise, Look::kPressed); }},
      {10, "misc/EDIT_NORMAL.png", [] { return Edit(false); }},
      {11, "misc/EDIT_FOCUS.png", [] { return Edit(true); }},
      {12, "misc/ICO_OK.png", [] { return SignIcon(Sign::kOk, 32); }},
      {13, "misc/ICO_OK_S.png", [] { return SignIcon(Sign::kOk, 16); }},
      {14, "misc/ICO_ERROR.png", [] { return SignIcon(Sign::kError, 32); }},
      {15, "misc/ICO_ERROR_S.png", [] { return SignIcon(Sign::kError, 16); }},
      {16, "misc/ICO_TIP.png", [] { return SignIcon(Sign::kTip, 32); }},
      {17, "misc/ICO_TIP_S.png", [] { return SignIcon(Sign::kTip, 16); }},
      {18, "misc/ICO_WARNING.png", [] { return SignIcon(Sign::kWarning, 32); }},
      {19, "misc/ICO_WARNING_S.png", [] { return SignIcon(Sign::kWarning, 16); }},
      {20, "misc/ICO_ASK.png", [] { return SignIcon(Sign::kAsk, 32); }},
      {21, "misc/ICO_ASK_S.png", [] { return SignIcon(Sign::kAsk, 16); }},
      {22, "main/MAIN_BKG.png", [] { return MainBackground(); }},
      {23, "main/MAIN_LOGO.png", [] { return Logo(); }},
      {24, "main/MAIN_SEPERATOR.png", [] { return Separator(); }},
      {25, "main/BTN_ENCRYPTOR_NORMAL.png", [] { return NavigationButton(Lock, Look::kNormal); }},
      {26, "main/BTN_ENCRYPTOR_FOCUS.png", [] { return NavigationButton(Lock, Look::kHover); }},
      {27, "main/BTN_ENCRYPTOR_SELECTED.png", [] { return NavigationButton(Lock, Look::kPressed); }},
      {28, "main/BTN_SHREDDER_NORMAL.png", [] { return NavigationButton(DrawShredder, Look::kNormal); }},
      {29, "main/BTN_SHREDDER_FOCUS.png", [] { return NavigationButton(DrawShredder, Look::kHover); }},
      {30, "main/BTN_SHREDDER_SELECTED.png", [] { return NavigationButton(DrawShredder, Look::kPressed); }},
      {31, "main/BTN_BACKUP_NORMAL.png", [] { return NavigationButton(DrawBackupBox, Look::kNormal); }},
      {32, "main/BTN_BACKUP_FOCUS.png", [] { return NavigationButton(DrawBackupBox, Look::kHover); }},
      {33, "main/BTN_BACKUP_SELECTED.png", [] { return NavigationButton(DrawBackupBox, Look::kPressed); }},
      {34, "main/BTN_LOCKER_NORMAL.png", [] { return NavigationButton(Usb, Look::kNormal); }},
      {35, "main/BTN_LOCKER_FOCUS.png", [] { return NavigationButton(Usb, Look::kHover); }},
      {36, "main/BTN_LOCKER_SELECTED.png", [] { return NavigationButton(Usb, Look::kPressed); }},
      {37, "main/BTN_HELP_NORMAL.png", [] { return CaptionButton(Glyph::kHelp, Look::kNormal); }},
      {38, "main/BTN_HELP_FOCUS.png", [] { return CaptionButton(Glyph::kHelp, Look::kHover); }},
      {39, "main/BTN_HELP_SELECTED.png", [] { return CaptionButton(Glyph::kHelp, Look::kPressed); }},
      {40, "main/BTN_FEEDBACK_NORMAL.png", [] { return CaptionButton(Glyph::kAbout, Look::kNormal); }},
      {41, "main/BTN_FEEDBACK_FOCUS.png", [] { return CaptionButton(Glyph::kAbout, Look::kHover); }},
      {42, "main/BTN_FEEDBACK_SELECTED.png", [] { return CaptionButton(Glyph::kAbout, Look::kPressed); }},
      {43, "encryptor/ENCRYPTOR_BKG.png", [] { return PageBackground(Lock); }},
      {44, "shredder/SHREDDER_BKG.png", [] { return PageBackground(DrawShredder); }},
      {45, "backup/BACKUP_BKG.png", [] { return PageBackground(DrawBackupBox); }},
      {46, "locker/LOCKER_BKG.png", [] { return PageBackground(Usb); }},
      {47, "window/PROGRESS_BKG.png", [=] { return DialogBackground(progress); }},
      {48, "window/LOG_BKG.png", [=] { return DialogBackground(log); }},
      {49, "window/ABOUT_BKG.png", [=] { return DialogBackground(about); }},
      {50, "misc/ICO_ENCRYPT.png", [] { return OperationIcon(Operation::kEncrypt); }},
      {51, "misc/ICO_DECRYPT.png", [] { return OperationIcon(Operation::kDecrypt); }},
      {52, "misc/ICO_SHRED.png", [] { return OperationIcon(Operation::kShred); }},
  };
}

QImage ApplicationIcon(int size) {
  QImage image = Clear(size, size);
  QPainter painter(&image);
  Prepare(painter);
  const qreal h = size * 0.92;
  const qreal w = h * 0.84;
  DrawShield(painter, QRectF((size - w) / 2, (size - h) / 2, w, h));
  return Finish(image, kHeader);
}

}  // namespace skinart
