// Windows of the toolkit filled with sample content, as the program shows them.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

#include "skin/zy_dialog.h"

namespace gallery {

// A skinned dialog of any template with a background and a way to fill it.
class Preview : public nv::CZyDialogEx {
  Q_OBJECT

 public:
  using Fill = std::function<void(Preview&)>;
  Preview(int templateId, int backgroundId, bool captionButtons, Fill fill,
          QWidget* parent = nullptr);

  // An extra image drawn over the background at a point (logos, icons).
  void AddOverlay(const QImage& image, const QPoint& at);

 protected:
  bool OnInitDialog() override;
  void OnEraseBackground(QPainter& painter) override;

 private:
  int backgroundId_;
  bool captionButtons_;
  Fill fill_;
  std::vector<std::pair<QImage, QPoint>> overlays_;
};

// Builds, shows and captures a window; the pixels outside its rounded outline
// are left transparent.
QImage Capture(QWidget& window);

// The previews; each returns the captured picture.
QImage ControlsSheet();
QImage MessageBoxPicture(const QString& text, int icon, unsigned buttons);
QImage PagePicture(int templateId);
QImage PasswordPicture();
QImage ProgressPicture();
QImage LogPicture();
QImage AboutPicture();
QImage MainWindowPicture();

}  // namespace gallery
