// Drawing helpers shared by the skin images.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

namespace skinart {

// An image of the size filled with the colour, ready for painting.
QImage Filled(int width, int height, const QColor& colour);
// A fully transparent image for painting.
QImage Clear(int width, int height);
// The finished file: straight (not premultiplied) alpha, and the fully
// transparent pixels store `under`, the colour the image normally sits on, so
// a plain pixel copy looks right as well.
QImage Finish(const QImage& painted, const QColor& under);

// A painter with antialiasing on.
void Prepare(QPainter& painter);

// Outline of the product's shield mark.
QPainterPath ShieldPath(const QRectF& box);
// The shield mark with its keyhole.
void DrawShield(QPainter& painter, const QRectF& box);
// Shield and wordmark in one line; height is the shield's height.
void DrawBrand(QPainter& painter, const QPointF& topLeft, qreal height, qreal textPixels);

// Pictograms, drawn as strokes of the given width into box.
void DrawPadlock(QPainter& painter, const QRectF& box, const QColor& colour, bool open,
                 const QColor& cutout);
void DrawShredder(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawBackupBox(QPainter& painter, const QRectF& box, const QColor& colour);
void DrawUsbDrive(QPainter& painter, const QRectF& box, const QColor& colour, const QColor& cutout);
void DrawCheckMark(QPainter& painter, const QRectF& box, const QColor& colour, qreal width);
void DrawCross(QPainter& painter, const QRectF& box, const QColor& colour, qreal width);
void DrawExclamation(QPainter& painter, const QRectF& box, const QColor& colour, qreal width);
void DrawInfo(QPainter& painter, const QRectF& box, const QColor& colour, qreal width);
void DrawQuestion(QPainter& painter, const QRectF& box, const QColor& colour, qreal width);

}  // namespace skinart
