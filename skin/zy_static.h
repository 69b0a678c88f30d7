// A static text that sits transparently on a skin image.
#pragma once

#include <QLabel>

namespace nv {

class CZyStringStatic : public QLabel {
  Q_OBJECT

 public:
  explicit CZyStringStatic(QWidget* parent = nullptr);

  // Replaces the text. A visible static repaints only when the text really
  // changes (exact comparison), and then the parent repaints its skin behind
  // it first, so no old text shows through.
  void SetText(const QString& text);

  // Long texts keep their beginning and end and lose their middle ("…"), as
  // paths do.
  void SetPathEllipsis(bool elide);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool pathEllipsis_ = false;
};

}  // namespace nv
