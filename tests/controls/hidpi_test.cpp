#include "controls/colour_key_mask.h"
#include "controls/hidpi.h"
#include "controls/skin_picture.h"
#include "support/key_pixels.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

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

// At twice the size a logical pixel with any key pixel in it is left out of the shape whole;
// at the plain size the shape is exactly the pixels that are not the key.
TEST(ColourKeyMask, NoKeyPixelIsInsideTheShapeAtEitherSize) {
  QImage twice(8, 6, QImage::Format_RGB32);
  twice.fill(qRgb(40, 40, 40));
  twice.setPixel(1, 1, qRgb(255, 0, 0)); // bottom-right of logical (0, 0)
  twice.setPixel(6, 4, qRgb(255, 0, 0)); // top-left of logical (3, 2)
  twice.setPixel(5, 2, qRgb(254, 0, 0)); // near red is no key
  twice.setDevicePixelRatio(2);
  const QRegion shape = colourKeyMask(twice);
  EXPECT_EQ(shape, QRegion(0, 0, 4, 3) - QRegion(0, 0, 1, 1) - QRegion(3, 2, 1, 1));
  EXPECT_EQ(test::keyPixelsShown(twice, shape), 0);

  QImage plain(5, 3, QImage::Format_RGB32);
  plain.fill(qRgb(255, 0, 0));
  plain.setPixel(1, 1, qRgb(0, 0, 0));
  plain.setPixel(2, 1, qRgb(0, 0, 0));
  EXPECT_EQ(colourKeyMask(plain), QRegion(1, 1, 2, 1));
  plain.fill(qRgb(1, 2, 3));
  EXPECT_EQ(colourKeyMask(plain), QRegion(0, 0, 5, 3)) << "no key: the whole picture, one rectangle";
}

QByteArray encoded(const QImage &image, const char *format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format));
  return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A picture of stripes, so that rows made of nothing would differ from it.
QImage stripes(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  for (int y = 0; y < size.height(); ++y)
    for (int x = 0; x < size.width(); ++x)
      image.setPixel(x, y, qRgb(40 * (y % 6), 200, 30 * (x % 8)));
  return image;
}

TEST(SkinPicture, OnlyWholePicturesDecode) {
  const QImage picture = stripes({30, 20});
  const QByteArray bmp = encoded(picture, "BMP");
  QFile digit(QStringLiteral(LUMIQO_SKIN_DIR "/0.gif")); // Qt writes no GIF: the skin's own
  ASSERT_TRUE(digit.open(QIODevice::ReadOnly));
  const QByteArray gif = digit.readAll();
  EXPECT_EQ(decodeWholePicture(bmp).convertToFormat(QImage::Format_RGB32), picture);
  EXPECT_FALSE(decodeWholePicture(gif).isNull());
  // Cut anywhere, even one byte short of the end, neither is drawn.
  for (qsizetype cut : {qsizetype{0}, qsizetype{13}, qsizetype{100}, bmp.size() - 1})
    EXPECT_TRUE(decodeWholePicture(bmp.left(cut)).isNull()) << "BMP cut to " << cut;
  for (qsizetype cut : {qsizetype{6}, qsizetype{30}, gif.size() / 2, gif.size() - 1})
    EXPECT_TRUE(decodeWholePicture(gif.left(cut)).isNull()) << "GIF cut to " << cut;
  // A block that claims more than there is, and bytes that are no picture at all.
  QByteArray lying = gif;
  lying[lying.size() - 2] = char(0x7f); // the data's end mark becomes a block of 127 bytes
  EXPECT_TRUE(decodeWholePicture(lying).isNull());
  EXPECT_TRUE(decodeWholePicture("GIF89a" + QByteArray(40, '\x55')).isNull());
  EXPECT_TRUE(decodeWholePicture("BM" + QByteArray(60, '\0')).isNull());
}

TEST(SkinPicture, AFifoOrFolderIsNoPictureAndIsNamed) {
  QTemporaryDir dir;
  const QString plain = dir.filePath("p.bmp");
  ASSERT_TRUE(stripes({10, 6}).save(plain));
  // A reader would wait for a writer on a FIFO forever: it is refused at once.
  const QString fifo = dir.filePath("f.bmp");
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  QStringList unreadable;
  EXPECT_TRUE(loadSkinImage(fifo, 1, &unreadable).isNull());
  EXPECT_TRUE(loadSkinImage(dir.path(), 1, &unreadable).isNull());
  EXPECT_EQ(unreadable, (QStringList{fifo, dir.path()}));

  // A broken twice-size picture is named, and the plain one drawn in its place.
  ASSERT_TRUE(writeFile(doubleSizePath(plain), encoded(stripes({20, 12}), "BMP").left(200)));
  unreadable.clear();
  const QImage shown = loadSkinImage(plain, 2, &unreadable);
  EXPECT_EQ(shown.size(), QSize(10, 6));
  EXPECT_EQ(unreadable, QStringList{doubleSizePath(plain)});
  unreadable.clear();
  EXPECT_FALSE(loadSkinImage(plain, 1, &unreadable).isNull());
  EXPECT_TRUE(unreadable.isEmpty());
}

} // namespace
} // namespace lumiqo
