#include "skin/zy_edit.h"

#include <QPainter>

#include "skin/skin_images.h"

namespace nv {

CZyEdit::CZyEdit(QWidget* parent) : QLineEdit(parent) {
  QPalette colours = palette();
  colours.setColor(QPalette::Base, Qt::transparent);
  colours.setColor(QPalette::Active, QPalette::Text, Qt::black);
  colours.setColor(QPalette::Inactive, QPalette::Text, Qt::black);
  setPalette(colours);
  connect(this, &QLineEdit::textChanged, this, [this] {
    focused_ = true;
    update();
  });
}

void CZyEdit::SetImages(const std::string& normalPath, const std::string& focusPath) {
  hasImages_ = true;
  normalImage_ = LoadPngBitmap(normalPath);
  focusImage_ = LoadPngBitmap(focusPath);
  // The image draws the outline itself.
  setFrame(false);
  setTextMargins(4, 0, 4, 0);
  update();
}

const QImage& CZyEdit::currentImage() const {
  return focused_ || tracking_ ? focusImage_ : normalImage_;
}

void CZyEdit::paintEvent(QPaintEvent* event) {
  if (hasImages_) {
    // The image's two outermost pixels on every side fall outside the box.
    QPainter painter(this);
    // A disabled box shows its image faded.
    if (!isEnabled()) painter.setOpacity(0.55);
    DrawStretched(painter, rect().adjusted(-2, -2, 2, 2), currentImage());
  }
  QLineEdit::paintEvent(event);
}

void CZyEdit::focusInEvent(QFocusEvent* event) {
  focused_ = true;
  update();
  QLineEdit::focusInEvent(event);
}

void CZyEdit::focusOutEvent(QFocusEvent* event) {
  focused_ = false;
  update();
  QLineEdit::focusOutEvent(event);
}

void CZyEdit::enterEvent(QEnterEvent* event) {
  tracking_ = true;
  update();
  QLineEdit::enterEvent(event);
}

void CZyEdit::leaveEvent(QEvent* event) {
  tracking_ = false;
  update();
  QLineEdit::leaveEvent(event);
}

CGeneralZyEdit::CGeneralZyEdit(QWidget* parent) : CZyEdit(parent) {
  SetImages(GetSkinImagePath(10), GetSkinImagePath(11));
}

}  // namespace nv
