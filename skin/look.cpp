#include "skin/look.h"

#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace nv {
namespace {

// The colours of the skin images.
const QColor kAccent(0x2F, 0x6F, 0xED);
const QColor kText(0x1F, 0x29, 0x37);
const QColor kBorder(0xD5, 0xDC, 0xE6);
const QColor kSurface(0xF4, 0xF6, 0xF9);

}  // namespace

void ApplySkinLook(QApplication& application) {
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) application.setStyle(style);

  QPalette palette = application.style()->standardPalette();
  palette.setColor(QPalette::Window, kSurface);
  palette.setColor(QPalette::WindowText, Qt::black);
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::AlternateBase, kSurface);
  palette.setColor(QPalette::Text, kText);
  palette.setColor(QPalette::Button, Qt::white);
  palette.setColor(QPalette::ButtonText, kText);
  palette.setColor(QPalette::Highlight, kAccent);
  palette.setColor(QPalette::HighlightedText, Qt::white);
  // The selection stays visible when the list loses the focus.
  palette.setColor(QPalette::Inactive, QPalette::Highlight, kAccent.lighter(125));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::Mid, kBorder);
  palette.setColor(QPalette::Link, kAccent);
  application.setPalette(palette);

  QFont font = application.font();
  font.setFamilies({QStringLiteral("Segoe UI"), QStringLiteral("Noto Sans"),
                    QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
  font.setPixelSize(12);
  application.setFont(font);
}

}  // namespace nv
