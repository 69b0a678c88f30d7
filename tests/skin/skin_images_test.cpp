#include <gtest/gtest.h>

#include <QFile>

#include "skin/resources.h"
#include "skin/skin_images.h"
#include "test_skin.h"

namespace nv {
namespace {

TEST(SkinImagePath, IdsMapToTheirFilesAndOthersToTheBareFolder) {
  const std::string previous = GetSkinFolder();
  SetSkinFolder("/opt/norvane/Skin");
  const struct {
    int id;
    const char* path;
  } cases[] = {
      {0, "/opt/norvane/Skin/window/PASSWORD_BKG.png"},
      {24, "/opt/norvane/Skin/main/MAIN_SEPERATOR.png"},
      {43, "/opt/norvane/Skin/encryptor/ENCRYPTOR_BKG.png"},
      {52, "/opt/norvane/Skin/misc/ICO_SHRED.png"},
      {53, "/opt/norvane/Skin/"},
      {-1, "/opt/norvane/Skin/"},
      {1 << 30, "/opt/norvane/Skin/"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetSkinImagePath(c.id), c.path) << "id " << c.id;
  EXPECT_TRUE(LoadSkinBitmap(53).isNull());
  SetSkinFolder(previous);
}

TEST(LoadSkinBitmap, MissingFolderGivesEmptyImages) {
  const std::string previous = GetSkinFolder();
  SetSkinFolder("/nonexistent/norvane/Skin");
  for (int id = -1; id <= kSkinImageCount; ++id) EXPECT_TRUE(LoadSkinBitmap(id).isNull()) << id;
  SetSkinFolder(previous);
}

TEST(LoadPngBitmap, BrokenOrForeignFilesGiveEmptyImages) {
  test::TestSkin skin;
  skin.Put(12, QSize(4, 4), Qt::red);
  QFile broken(QString::fromStdString(GetSkinImagePath(12)));
  ASSERT_TRUE(broken.open(QIODevice::ReadWrite));
  broken.resize(broken.size() / 2);  // a cut-off PNG
  broken.close();
  EXPECT_TRUE(LoadSkinBitmap(12).isNull());

  skin.Put(14, QSize(4, 4), Qt::red);
  QFile text(QString::fromStdString(GetSkinImagePath(14)));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly | QIODevice::Truncate));
  text.write("not an image");
  text.close();
  EXPECT_TRUE(LoadSkinBitmap(14).isNull());
}

TEST(LoadPngBitmap, KeepsSizeAndTheStoredColourOfTransparentPixels) {
  test::TestSkin skin;
  QImage image(3, 2, QImage::Format_ARGB32);
  image.fill(qRgba(200, 100, 50, 255));
  image.setPixel(0, 0, qRgba(10, 20, 30, 0));
  skin.Put(16, image);

  const QImage first = LoadSkinBitmap(16);
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first.size(), QSize(3, 2));
  EXPECT_EQ(first.pixel(0, 0), qRgba(10, 20, 30, 0));
  EXPECT_EQ(first.pixel(2, 1), qRgba(200, 100, 50, 255));

  // Two loads are independent copies.
  QImage second = LoadSkinBitmap(16);
  second.fill(Qt::black);
  EXPECT_EQ(first.pixel(2, 1), qRgba(200, 100, 50, 255));
}

TEST(WithWhiteTransparent, ClearsOnlyPureWhite) {
  QImage image(3, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 255, 255));
  image.setPixel(1, 0, qRgb(254, 255, 255));
  image.setPixel(2, 0, qRgb(0, 0, 0));
  const QImage keyed = WithWhiteTransparent(image);
  EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
  EXPECT_EQ(keyed.pixel(1, 0), qRgba(254, 255, 255, 255));
  EXPECT_EQ(keyed.pixel(2, 0), qRgba(0, 0, 0, 255));
}

// The images the build draws exist under every id and fit the windows that
// draw them: each background is as large as its dialog template.
TEST(BuiltSkin, EveryIdHasAnImageSizedForItsWindow) {
  const std::string previous = GetSkinFolder();
  SetSkinFolder(NV_BUILT_SKIN_FOLDER);
  for (int id = 0; id < kSkinImageCount; ++id) EXPECT_FALSE(LoadSkinBitmap(id).isNull()) << id;

  const struct {
    int templateId;
    int backgroundId;
  } windows[] = {{102, 22}, {135, 45}, {136, 44}, {137, 43}, {140, 46},
                 {138, 0},  {163, 47}, {165, 1},  {187, 48}, {196, 49}};
  for (const auto& w : windows) {
    const DialogTemplate* dialog = FindDialogTemplate(w.templateId);
    ASSERT_NE(dialog, nullptr) << w.templateId;
    EXPECT_EQ(LoadSkinBitmap(w.backgroundId).size(),
              DialogUnitsToPixels(0, 0, dialog->cx, dialog->cy).size())
        << "template " << w.templateId;
  }
  EXPECT_EQ(LoadSkinBitmap(7).size(), QSize(20, 20));
  SetSkinFolder(previous);
}

}  // namespace
}  // namespace nv
