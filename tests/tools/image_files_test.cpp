// The skin generator's writers: what they write reads back pixel for pixel through Qt's own
// readers, including the awkward widths, and they refuse what their format cannot hold.
#include "image_files.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>
#include <stdexcept>

namespace skingen {
namespace {

QImage read(const QByteArray &bytes, const char *format, int index = 0) {
  QBuffer buffer;
  buffer.setData(bytes);
  QImageReader reader(&buffer, format);
  if (index > 0)
    reader.jumpToImage(index);
  return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// A picture where every pixel differs from its neighbours, so a shifted row or a swapped channel
// shows at once.
QImage pattern(int w, int h, int colours = 1 << 24) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int n = (y * w + x) % colours;
      image.setPixel(x, y, qRgb(n * 37 % 256, n * 11 % 256, (n * 101 + y) % 256));
    }
  return image;
}

TEST(SkinFiles, BitmapRowsOfEveryPaddingReadBackExactly) {
  for (int width : {1, 2, 3, 4, 17, 90}) {
    const QImage image = pattern(width, 5);
    const QByteArray bmp = bmp24(image);
    const int row = (width * 3 + 3) / 4 * 4;
    EXPECT_EQ(bmp.size(), 54 + row * 5) << width;
    EXPECT_EQ(read(bmp, "bmp"), image.convertToFormat(QImage::Format_ARGB32)) << width;
  }
}

// `count` different colours in one row.
QImage distinctColours(int count) {
  QImage image(count, 1, QImage::Format_RGB32);
  for (int n = 0; n < count; ++n)
    image.setPixel(n, 0, qRgb(n * 37 % 256, n / 256 * 90, 200));
  return image;
}

TEST(SkinFiles, GifKeepsEveryColourOfUpTo256AndRefusesMore) {
  for (int count : {1, 2, 3, 129, 256}) { // palettes of 2, 2, 4, 256 and 256 entries
    const QImage image = distinctColours(count);
    EXPECT_EQ(read(gif(image), "gif"), image.convertToFormat(QImage::Format_ARGB32)) << count;
  }
  const QImage square = pattern(16, 16, 256);
  EXPECT_EQ(read(gif(square), "gif"), square.convertToFormat(QImage::Format_ARGB32));
  EXPECT_THROW(gif(distinctColours(257)), std::runtime_error);
}

TEST(SkinFiles, IconMaskMarksExactlyTheClearPixels) {
  QImage image(12, 3, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  image.setPixel(0, 0, qRgba(10, 200, 30, 255));
  image.setPixel(11, 2, qRgba(10, 200, 30, 128)); // half see-through is not masked
  const QByteArray data = iconImageData(image);
  const int maskRow = 4; // 12 bits padded to 32
  ASSERT_EQ(data.size(), 40 + 12 * 3 * 4 + maskRow * 3);
  EXPECT_EQ(qFromLittleEndian<qint32>(data.constData() + 8), 6); // doubled height
  const char *mask = data.constData() + 40 + 12 * 3 * 4;
  // Rows run bottom-up: image row 2 first, row 0 last.
  EXPECT_EQ(quint8(mask[0]), 0xff);
  EXPECT_EQ(quint8(mask[1]), 0xe0); // pixel 11 of row 2 shows, the rest of the byte is padding
  EXPECT_EQ(quint8(mask[2 * maskRow]), 0x7f);
  EXPECT_EQ(quint8(mask[2 * maskRow + 1]), 0xf0);
  // The colour rows are BGRA, bottom-up, not premultiplied.
  const char *last = data.constData() + 40 + 11 * 4;
  EXPECT_EQ(QByteArray(last, 4), QByteArray("\x1e\xc8\x0a\x80", 4));
}

TEST(SkinFiles, IconFileListsItsImagesInOrderAndQtReadsThem) {
  QList<QImage> images;
  for (int side : {16, 32, 256}) {
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(qRgba(side - 1, 40, 200, 255));
    images.append(image);
  }
  const QByteArray ico = icoFile(images);
  EXPECT_EQ(quint8(ico[6 + 32]), 0) << "256 is stored as 0";
  EXPECT_EQ(qFromLittleEndian<quint32>(ico.constData() + 6 + 12), 6u + 3 * 16);
  QBuffer buffer;
  buffer.setData(ico);
  QImageReader reader(&buffer, "ico");
  EXPECT_EQ(reader.imageCount(), 3);
  for (int i = 0; i < 3; ++i) {
    const QImage back = read(ico, "ico", i);
    EXPECT_EQ(back.size(), images[i].size()) << i;
    EXPECT_EQ(back.pixel(3, 3), images[i].pixel(3, 3)) << i;
  }
  QImage tooBig(257, 1, QImage::Format_ARGB32);
  tooBig.fill(Qt::white);
  EXPECT_THROW(icoFile({tooBig}), std::runtime_error);
}

} // namespace
} // namespace skingen
