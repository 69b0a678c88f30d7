#include "skin/zy_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/skin_images.h"

namespace nv {
namespace {

QImage LoadIfGiven(const std::string& path) {
  return path.empty() ? QImage() : LoadPngBitmap(path);
}

// How a button without its own disabled image looks: its normal image faded
// to grey.
QImage FadedGrey(const QImage& image) {
  if (image.isNull()) return image;
  QImage grey = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < grey.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
    for (int x = 0; x < grey.width(); ++x) {
      const int g = qGray(line[x]);
      const int light = 255 - (255 - g) * 2 / 5;
      line[x] = qRgba(light, light, light, qAlpha(line[x]));
    }
  }
  return grey;
}

}  // namespace

CZyButton::CZyButton(QWidget* parent) : QPushButton(parent) {
  setMouseTracking(true);
  setAutoDefault(false);
}

void CZyButton::SetImages(const std::string& normalPath, const std::string& selectedPath,
                          const std::string& focusPath) {
  hasImages_ = true;
  selectedEqualsFocus_ = selectedPath == focusPath;
  images_[Normal] = LoadIfGiven(normalPath);
  images_[Selected] = LoadIfGiven(selectedPath);
  images_[Focus] = LoadIfGiven(focusPath);
  update();
}

void CZyButton::SizeToImage() {
  if (hasImages_) resize(images_[Normal].size());
}

void CZyButton::SetState(ZyButtonState state) {
  if (state_ == state) return;
  state_ = state;
  update();
}

void CZyButton::SetKeepSelected(bool keep) {
  keepSelected_ = keep;
  update();
}

void CZyButton::SetCaption(const QString& caption) {
  caption_ = caption;
  update();
}

void CZyButton::SetTextColor(const QColor& color) {
  textColor_ = color;
  update();
}

void CZyButton::SetFaceColor(const QColor& color) {
  faceColor_ = color;
  update();
}

void CZyButton::SetDisabledTextColor(const QColor& color) {
  disabledTextColor_ = color;
  update();
}

void CZyButton::SetDrawFocusRect(bool draw) {
  drawFocusRect_ = draw;
  update();
}

void CZyButton::paintEvent(QPaintEvent*) {
  if (caption_.isEmpty()) caption_ = text();
  if (state_ == Disabled) state_ = Normal;
  if (!isEnabled()) state_ = Disabled;
  const QColor color = state_ == Disabled ? disabledTextColor_ : textColor_;

  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRect r = rect();
  if (hasImages_) {
    DrawImage(painter, r);
  } else {
    DrawFace(painter, r);
  }
  // A button whose pressed image equals its hover image still has to look pressed.
  if (state_ == Selected && (selectedEqualsFocus_ || !hasImages_)) DrawPressedEdge(painter, r);
  if (drawFocusRect_ && hasFocus()) DrawFocusRect(painter, r);
  DrawCaption(painter, r, color);
}

void CZyButton::DrawImage(QPainter& painter, const QRect& rect) {
  if (keepSelected_) {
    DrawStretched(painter, rect, images_[Selected]);
  } else if (state_ == Disabled && images_[Disabled].isNull()) {
    DrawStretched(painter, rect, FadedGrey(images_[Normal]));
  } else {
    DrawStretched(painter, rect, images_[state_]);
  }
}

void CZyButton::DrawFace(QPainter& painter, const QRect& rect) {
  QColor outline(192, 192, 192);
  if (state_ == Focus) outline = Qt::white;
  if (state_ == Disabled) outline = faceColor_;
  if (keepSelected_) outline = QColor(192, 192, 192);
  painter.setPen(QPen(outline, 1));
  painter.setBrush(faceColor_);
  painter.drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), 2.5, 2.5);
}

void CZyButton::DrawPressedEdge(QPainter& painter, const QRect& rect) {
  // A raised inner edge over the rectangle inset by one pixel at the left and top.
  const int left = rect.left() + 1;
  const int top = rect.top() + 1;
  const int right = rect.right();
  const int bottom = rect.bottom();
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QColor(255, 255, 255, 120));
  painter.drawLine(left, top, right - 1, top);
  painter.drawLine(left, top, left, bottom - 1);
  painter.setPen(QColor(0, 0, 0, 70));
  painter.drawLine(left, bottom, right, bottom);
  painter.drawLine(right, top, right, bottom);
  painter.restore();
}

void CZyButton::DrawFocusRect(QPainter& painter, const QRect& rect) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  QColor color = state_ == Disabled ? disabledTextColor_ : textColor_;
  color.setAlpha(150);
  painter.setPen(QPen(color, 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect.adjusted(3, 2, -4, -3));
  painter.restore();
}

void CZyButton::DrawCaption(QPainter& painter, const QRect& rect, const QColor& color) {
  if (caption_.isEmpty()) return;
  const QString shown = fontMetrics().elidedText(caption_, Qt::ElideRight, rect.width() - 6);
  painter.setPen(color);
  painter.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

void CZyButton::mouseMoveEvent(QMouseEvent* event) {
  const bool inside = rect().contains(event->position().toPoint());
  if (tracking_) {
    if (!inside) {
      tracking_ = false;
      SetState(Normal);
    }
  } else if (inside) {
    tracking_ = true;
    SetState(Focus);
  }
  QPushButton::mouseMoveEvent(event);
}

void CZyButton::leaveEvent(QEvent* event) {
  // The pointer left without a move inside the button reporting it.
  if (tracking_) {
    tracking_ = false;
    SetState(Normal);
  }
  QPushButton::leaveEvent(event);
}

void CZyButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) SetState(Selected);
  QPushButton::mousePressEvent(event);
}

void CZyButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) SetState(Focus);
  QPushButton::mouseReleaseEvent(event);
}

void CZyButton::focusOutEvent(QFocusEvent* event) {
  QPushButton::focusOutEvent(event);
  SetState(Normal);
}

CGeneralZyButton::CGeneralZyButton(QWidget* parent) : CZyButton(parent) {
  SetImages(GetSkinImagePath(2), GetSkinImagePath(3), GetSkinImagePath(3));
  SetTextColor(Qt::white);
  SetDrawFocusRect(true);
}

}  // namespace nv
