// The interface images: skin ids, their files in the skin folder, and loading.
//
// Every window asks for its images by id; the files live in a folder "Skin"
// beside the executable. Nothing is cached: each window and control loads its
// own copies when it is built.
#pragma once

#include <QImage>
#include <QRect>
#include <string>

class QPainter;

namespace nv {

// Number of skin image ids; valid ids are 0 to kSkinImageCount - 1.
constexpr int kSkinImageCount = 53;

// Sets the folder that holds the skin images. Without a call, the folder is the
// program folder followed by "/Skin".
void SetSkinFolder(const std::string& folder);
const std::string& GetSkinFolder();

// The skin folder, '/', and the relative name of the id; for an id outside
// 0..52 the skin folder followed by a single '/', which names no file.
std::string GetSkinImagePath(int id);

// Decodes a PNG file. A missing, unreadable or undecodable file gives a null
// image; nothing is reported.
QImage LoadPngBitmap(const std::string& path);

// LoadPngBitmap(GetSkinImagePath(id)).
QImage LoadSkinBitmap(int id);

// Draws the whole image onto target. When the sizes differ the image is
// stretched with its corners kept at their own size, so rounded outlines stay
// crisp. A null image draws nothing.
void DrawStretched(QPainter& painter, const QRect& target, const QImage& image);

// A copy of the image in which pure white (255, 255, 255) is transparent, for
// the icons that are drawn with white as their transparent colour.
QImage WithWhiteTransparent(const QImage& image);

}  // namespace nv
