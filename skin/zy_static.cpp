#include "skin/zy_static.h"

#include <QPainter>

namespace nv {

CZyStringStatic::CZyStringStatic(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CZyStringStatic::SetText(const QString& text) {
  if (!isVisible()) {
    setText(text);
    return;
  }
  if (this->text() == text) return;
  setText(text);
  if (QWidget* parent = parentWidget()) parent->update(geometry());
}

void CZyStringStatic::SetPathEllipsis(bool elide) {
  pathEllipsis_ = elide;
  update();
}

void CZyStringStatic::paintEvent(QPaintEvent* event) {
  if (!pathEllipsis_) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  const QRect area = contentsRect();
  const QString shown = fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width());
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(area, static_cast<int>(alignment()) | Qt::TextSingleLine, shown);
}

}  // namespace nv
