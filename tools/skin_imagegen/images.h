// Every image of the skin set, and the application icon.
#pragma once

#include <QImage>
#include <functional>
#include <vector>

namespace skinart {

struct SkinImage {
  int id;
  const char* relativePath;  // inside the skin folder
  std::function<QImage()> paint;
};

// The 53 skin images in id order.
std::vector<SkinImage> SkinImages();

// The application icon at the given edge length.
QImage ApplicationIcon(int size);

}  // namespace skinart
