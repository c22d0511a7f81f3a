#include "controls/hidpi.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

TEST(HiDpi, DoubleSizeNameGoesBeforeTheExtension) {
  EXPECT_EQ(doubleSizePath("/a/skin/play.bmp"), "/a/skin/play@2x.bmp");
  EXPECT_EQ(doubleSizePath(":/res/SCRBACKV.bmp"), ":/res/SCRBACKV@2x.bmp");
  EXPECT_EQ(doubleSizePath("/a.b/skin/noext"), "/a.b/skin/noext@2x");
  EXPECT_EQ(doubleSizePath("/a/.hidden"), "/a/.hidden@2x");
}

TEST(HiDpi, TwiceSizePictureOnlyAtRatioTwoAndWhenItExists) {
  QTemporaryDir dir;
  const QString plain = dir.filePath("k.bmp");
  QImage one(10, 6, QImage::Format_RGB32);
  one.fill(Qt::red);
  ASSERT_TRUE(one.save(plain));
  QImage two(20, 12, QImage::Format_RGB32);
  two.fill(Qt::blue);

  // No twice-size file: the plain picture at any ratio.
  EXPECT_EQ(loadSkinImage(plain, 2).size(), QSize(10, 6));
  ASSERT_TRUE(two.save(doubleSizePath(plain)));

  const QImage atOne = loadSkinImage(plain, 1.5);
  EXPECT_EQ(atOne.pixelColor(0, 0), QColor(Qt::red));
  const QImage atTwo = loadSkinImage(plain, 2);
  EXPECT_EQ(atTwo.pixelColor(0, 0), QColor(Qt::blue));
  EXPECT_EQ(atTwo.deviceIndependentSize().toSize(), QSize(10, 6));
  EXPECT_TRUE(loadSkinImage(dir.filePath("missing.bmp"), 1).isNull());
}

} // namespace
} // namespace lumiqo
