// Painted buttons: an image button whose look follows the mouse, and the text
// button of every dialog built on the shared button images.
#pragma once

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <QString>
#include <array>
#include <string>

namespace nv {

// Drawing state of a button; the names follow the skin files.
enum ZyButtonState {
  Normal = 0,    // idle
  Focus = 1,     // pointer over the button, or left button released over it
  Selected = 2,  // left button held down on it
  Disabled = 3,  // the button is disabled
};

class CZyButton : public QPushButton {
  Q_OBJECT

 public:
  explicit CZyButton(QWidget* parent = nullptr);

  // Loads the normal, selected and focus images (a path that is empty or fails
  // to load leaves that image empty) and marks the button as an image button.
  // Equal selected and focus paths make a pressed button draw a raised edge.
  void SetImages(const std::string& normalPath, const std::string& selectedPath,
                 const std::string& focusPath);
  // Resizes an image button to its normal image, keeping its top-left corner.
  void SizeToImage();

  ZyButtonState state() const { return state_; }
  // Sets the state and repaints (the owning window resets a button this way).
  void SetState(ZyButtonState state);

  bool keepSelected() const { return keepSelected_; }
  // While set, the selected image is drawn whatever the state.
  void SetKeepSelected(bool keep);

  // Text drawn on the button; taken from text() at the first paint if empty.
  const QString& caption() const { return caption_; }
  void SetCaption(const QString& caption);

  QColor textColor() const { return textColor_; }
  void SetTextColor(const QColor& color);
  QColor faceColor() const { return faceColor_; }
  void SetFaceColor(const QColor& color);
  void SetDisabledTextColor(const QColor& color);
  // Draws a dotted rectangle while the button has the keyboard focus.
  void SetDrawFocusRect(bool draw);

  bool hasImages() const { return hasImages_; }
  bool selectedEqualsFocus() const { return selectedEqualsFocus_; }
  // The image drawn for a state (Normal, Focus, Selected, Disabled); the
  // disabled image is never loaded.
  const QImage& image(ZyButtonState state) const { return images_[state]; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawImage(QPainter& painter, const QRect& rect);
  void DrawFace(QPainter& painter, const QRect& rect);
  void DrawPressedEdge(QPainter& painter, const QRect& rect);
  void DrawFocusRect(QPainter& painter, const QRect& rect);
  void DrawCaption(QPainter& painter, const QRect& rect, const QColor& color);

  ZyButtonState state_ = Normal;
  bool tracking_ = false;
  QString caption_;
  QColor textColor_{0, 0, 0};
  QColor faceColor_{243, 243, 243};
  QColor disabledTextColor_{109, 109, 109};
  bool hasImages_ = false;
  bool selectedEqualsFocus_ = false;
  bool drawFocusRect_ = false;
  std::array<QImage, 4> images_;
  bool keepSelected_ = false;
};

// The text button of the dialogs: the shared button images (2 normal, 3 for
// both pointer-over and pressed), a white caption and a focus rectangle.
class CGeneralZyButton : public CZyButton {
  Q_OBJECT

 public:
  explicit CGeneralZyButton(QWidget* parent = nullptr);
};

}  // namespace nv
