#include "painting.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLinearGradient>

#include "palette.h"

namespace skinart {
namespace {

QPointF At(const QRectF& box, qreal x, qreal y) {
  return {box.left() + x * box.width(), box.top() + y * box.height()};
}

QPen Stroke(const QColor& colour, qreal width) {
  return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

}  // namespace

QImage Filled(int width, int height, const QColor& colour) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(colour);
  return image;
}

QImage Clear(int width, int height) { return Filled(width, height, Qt::transparent); }

QImage Finish(const QImage& painted, const QColor& under) {
  QImage image = painted.convertToFormat(QImage::Format_ARGB32);
  const QRgb stored = qRgba(under.red(), under.green(), under.blue(), 0);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(line[x]) == 0) line[x] = stored;
    }
  }
  return image;
}

void Prepare(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QPainterPath ShieldPath(const QRectF& box) {
  QPainterPath path;
  path.moveTo(At(box, 0.5, 0.0));
  path.cubicTo(At(box, 0.66, 0.10), At(box, 0.84, 0.13), At(box, 1.0, 0.14));
  path.lineTo(At(box, 1.0, 0.46));
  path.cubicTo(At(box, 1.0, 0.76), At(box, 0.74, 0.92), At(box, 0.5, 1.0));
  path.cubicTo(At(box, 0.26, 0.92), At(box, 0.0, 0.76), At(box, 0.0, 0.46));
  path.lineTo(At(box, 0.0, 0.14));
  path.cubicTo(At(box, 0.16, 0.13), At(box, 0.34, 0.10), At(box, 0.5, 0.0));
  path.closeSubpath();
  return path;
}

void DrawShield(QPainter& painter, const QRectF& box) {
  painter.save();
  QLinearGradient fill(box.topLeft(), box.bottomRight());
  fill.setColorAt(0.0, kAccentHover);
  fill.setColorAt(1.0, kAccentDeep);
  painter.setPen(Qt::NoPen);
  painter.setBrush(fill);
  painter.drawPath(ShieldPath(box));
  // Keyhole.
  painter.setBrush(kGlyph);
  const qreal r = box.width() * 0.13;
  painter.drawEllipse(At(box, 0.5, 0.42), r, r);
  QPainterPath stem;
  stem.moveTo(At(box, 0.5, 0.42) + QPointF(-r * 0.55, 0));
  stem.lineTo(At(box, 0.5, 0.42) + QPointF(r * 0.55, 0));
  stem.lineTo(At(box, 0.5, 0.42) + QPointF(r * 0.85, box.height() * 0.30));
  stem.lineTo(At(box, 0.5, 0.42) + QPointF(-r * 0.85, box.height() * 0.30));
  stem.closeSubpath();
  painter.drawPath(stem);
  painter.restore();
}

void DrawBrand(QPainter& painter, const QPointF& topLeft, qreal height, qreal textPixels) {
  const QRectF shield(topLeft, QSizeF(height * 0.84, height));
  DrawShield(painter, shield);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(qRound(textPixels));
  font.setBold(true);
  font.setLetterSpacing(QFont::PercentageSpacing, 102);
  const QFontMetricsF metrics(font);
  const qreal baseline = topLeft.y() + height / 2 + (metrics.ascent() - metrics.descent()) / 2;
  QPainterPath text;
  text.addText(QPointF(shield.right() + height * 0.38, baseline), font, QStringLiteral("Norvane"));
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(kWordmark);
  painter.drawPath(text);
  painter.restore();
}

void DrawPadlock(QPainter& painter, const QRectF& box, const QColor& colour, bool open,
                 const QColor& cutout) {
  painter.save();
  const qreal w = box.width();
  // Shackle.
  QPainterPath shackle;
  const qreal lift = open ? 0.10 : 0.0;
  shackle.moveTo(At(box, 0.31, 0.47));
  shackle.lineTo(At(box, 0.31, 0.33 - lift));
  shackle.cubicTo(At(box, 0.31, 0.08 - lift), At(box, 0.69, 0.08 - lift), At(box, 0.69, 0.33 - lift));
  shackle.lineTo(At(box, 0.69, open ? 0.33 : 0.47));
  painter.setPen(Stroke(colour, w * 0.11));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(shackle);
  // Body.
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  const QRectF body(At(box, 0.16, 0.44), At(box, 0.84, 0.94));
  painter.drawRoundedRect(body, w * 0.09, w * 0.09);
  // Keyhole.
  painter.setBrush(cutout);
  const qreal r = w * 0.075;
  const QPointF centre = At(box, 0.5, 0.63);
  painter.drawEllipse(centre, r, r);
  painter.drawRoundedRect(QRectF(centre.x() - r * 0.45, centre.y(), r * 0.9, box.height() * 0.16),
                          r * 0.3, r * 0.3);
  painter.restore();
}

void DrawShredder(QPainter& painter, const QRectF& box, const QColor& colour) {
  painter.save();
  const qreal w = box.width();
  const qreal line = w * 0.085;
  // The sheet going in, with a folded corner.
  QPainterPath sheet;
  sheet.moveTo(At(box, 0.26, 0.46));
  sheet.lineTo(At(box, 0.26, 0.08));
  sheet.lineTo(At(box, 0.60, 0.08));
  sheet.lineTo(At(box, 0.74, 0.22));
  sheet.lineTo(At(box, 0.74, 0.46));
  painter.setPen(Stroke(colour, line));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(sheet);
  // The cutter.
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRoundedRect(QRectF(At(box, 0.08, 0.46), At(box, 0.92, 0.60)), w * 0.04, w * 0.04);
  // The strips coming out.
  painter.setPen(Stroke(colour, line));
  const qreal xs[] = {0.30, 0.43, 0.57, 0.70};
  const qreal ends[] = {0.90, 0.80, 0.94, 0.84};
  for (int i = 0; i < 4; ++i) painter.drawLine(At(box, xs[i], 0.70), At(box, xs[i], ends[i]));
  painter.restore();
}

void DrawBackupBox(QPainter& painter, const QRectF& box, const QColor& colour) {
  painter.save();
  const qreal w = box.width();
  const qreal line = w * 0.085;
  painter.setPen(Stroke(colour, line));
  painter.setBrush(Qt::NoBrush);
  // Lid and body of an archive box.
  painter.drawRoundedRect(QRectF(At(box, 0.10, 0.14), At(box, 0.90, 0.34)), w * 0.04, w * 0.04);
  QPainterPath body;
  body.moveTo(At(box, 0.16, 0.34));
  body.lineTo(At(box, 0.16, 0.86));
  body.lineTo(At(box, 0.84, 0.86));
  body.lineTo(At(box, 0.84, 0.34));
  painter.drawPath(body);
  // An arrow going into it.
  painter.drawLine(At(box, 0.50, 0.46), At(box, 0.50, 0.72));
  painter.drawLine(At(box, 0.39, 0.62), At(box, 0.50, 0.73));
  painter.drawLine(At(box, 0.61, 0.62), At(box, 0.50, 0.73));
  painter.restore();
}

void DrawUsbDrive(QPainter& painter, const QRectF& box, const QColor& colour, const QColor& cutout) {
  painter.save();
  const qreal w = box.width();
  // Connector.
  painter.setPen(Stroke(colour, w * 0.08));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(At(box, 0.37, 0.08), At(box, 0.63, 0.36)));
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRect(QRectF(At(box, 0.43, 0.17), At(box, 0.48, 0.24)));
  painter.drawRect(QRectF(At(box, 0.52, 0.17), At(box, 0.57, 0.24)));
  // Body with a small lock cut out.
  painter.drawRoundedRect(QRectF(At(box, 0.26, 0.36), At(box, 0.74, 0.94)), w * 0.08, w * 0.08);
  DrawPadlock(painter, QRectF(At(box, 0.36, 0.50), At(box, 0.64, 0.84)), cutout, false, colour);
  painter.restore();
}

void DrawCheckMark(QPainter& painter, const QRectF& box, const QColor& colour, qreal width) {
  painter.save();
  painter.setPen(Stroke(colour, width));
  painter.setBrush(Qt::NoBrush);
  QPainterPath path;
  path.moveTo(At(box, 0.27, 0.52));
  path.lineTo(At(box, 0.44, 0.68));
  path.lineTo(At(box, 0.74, 0.35));
  painter.drawPath(path);
  painter.restore();
}

void DrawCross(QPainter& painter, const QRectF& box, const QColor& colour, qreal width) {
  painter.save();
  painter.setPen(Stroke(colour, width));
  painter.drawLine(At(box, 0.34, 0.34), At(box, 0.66, 0.66));
  painter.drawLine(At(box, 0.66, 0.34), At(box, 0.34, 0.66));
  painter.restore();
}

void DrawExclamation(QPainter& painter, const QRectF& box, const QColor& colour, qreal width) {
  painter.save();
  painter.setPen(Stroke(colour, width));
  painter.drawLine(At(box, 0.5, 0.30), At(box, 0.5, 0.56));
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(At(box, 0.5, 0.72), width * 0.62, width * 0.62);
  painter.restore();
}

void DrawInfo(QPainter& painter, const QRectF& box, const QColor& colour, qreal width) {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(At(box, 0.5, 0.30), width * 0.62, width * 0.62);
  painter.setPen(Stroke(colour, width));
  painter.drawLine(At(box, 0.5, 0.46), At(box, 0.5, 0.72));
  painter.restore();
}

void DrawQuestion(QPainter& painter, const QRectF& box, const QColor& colour, qreal width) {
  painter.save();
  painter.setPen(Stroke(colour, width));
  painter.setBrush(Qt::NoBrush);
  QPainterPath path;
  path.moveTo(At(box, 0.37, 0.38));
  path.cubicTo(At(box, 0.37, 0.21), At(box, 0.63, 0.21), At(box, 0.63, 0.37));
  path.cubicTo(At(box, 0.63, 0.48), At(box, 0.5, 0.48), At(box, 0.5, 0.58));
  painter.drawPath(path);
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawEllipse(At(box, 0.5, 0.73), width * 0.62, width * 0.62);
  painter.restore();
}

}  // namespace skinart
