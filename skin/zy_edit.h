// Edit boxes drawn over a skin image that changes while the box has the
// focus or the pointer is over it.
#pragma once

#include <QImage>
#include <QLineEdit>
#include <string>

namespace nv {

class CZyEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit CZyEdit(QWidget* parent = nullptr);

  // Loads the two backgrounds and draws them from now on (a path that fails
  // to load leaves that image empty). Without images the box keeps a plain
  // frame and shows its parent through.
  void SetImages(const std::string& normalPath, const std::string& focusPath);

  bool hasImages() const { return hasImages_; }
  // Set on gaining the focus and on every text change, also one made by code;
  // cleared on losing the focus.
  bool focused() const { return focused_; }
  // True while the pointer is over the box.
  bool tracking() const { return tracking_; }
  // The background drawn now: the focus image while focused or tracking.
  const QImage& currentImage() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool hasImages_ = false;
  QImage normalImage_;
  QImage focusImage_;
  bool focused_ = false;
  bool tracking_ = false;
};

// The edit of the dialogs, on the shared edit images (10 normal, 11 focus).
class CGeneralZyEdit : public CZyEdit {
  Q_OBJECT

 public:
  explicit CGeneralZyEdit(QWidget* parent = nullptr);
};

}  // namespace nv
