#include "controls/cls_icon.h"
#include "controls/memory_block.h"
#include "controls/pc_mem_dc.h"
#include "icon_bytes.h"

#include <QBuffer>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

namespace lumiqo {
namespace {

constexpr QRgb kMagenta = qRgb(255, 0, 255);
constexpr QRgb kBlue = qRgb(0, 0, 200);
constexpr QRgb kGrey = qRgb(90, 90, 90);

// A 6 x 4 picture: magenta all round a 2 x 2 blue glyph at (2, 1).
QImage glyphPicture() {
  QImage picture(6, 4, QImage::Format_RGB32);
  picture.fill(kMagenta);
  for (int y = 1; y < 3; ++y)
    for (int x = 2; x < 4; ++x)
      picture.setPixel(x, y, kBlue);
  return picture;
}

QImage canvas(int w, int h, QRgb fill) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

TEST(PcMemDC, SurfaceOnlyGrows) {
  pcMemDC dc;
  EXPECT_EQ(dc.Width(), 0);
  dc.CreateFromPicture(QImage(17, 4, QImage::Format_RGB32));
  EXPECT_EQ(dc.Width(), 17);
  EXPECT_EQ(dc.Height(), 4);
  dc.setWidth(10);
  EXPECT_EQ(dc.Width(), 17);
  EXPECT_EQ(dc.hdc().width(), 17);
  dc.setWidth(20);
  EXPECT_EQ(dc.Width(), 20);
  EXPECT_EQ(dc.hdc().size(), QSize(20, 4));
  // A smaller picture goes into the larger surface at (0, 0).
  dc.CreateFromPicture(glyphPicture());
  EXPECT_EQ(dc.hdc().size(), QSize(20, 4));
  EXPECT_EQ(dc.hdc().pixel(2, 1), kBlue);
}

TEST(PcMemDC, TransparentCopyLeavesTheDestinationAroundTheGlyph) {
  pcMemDC dc;
  dc.CreateFromPicture(glyphPicture());
  QImage dest = canvas(10, 8, kGrey);
  {
    QPainter p(&dest);
    dc.Draw(p, 0, 0, 0, 0, 3, 2, true); // widths below 1: the full surface
  }
  EXPECT_EQ(dest.pixel(5, 3), kBlue);
  EXPECT_EQ(dest.pixel(6, 4), kBlue);
  EXPECT_EQ(dest.pixel(3, 2), kGrey); // magenta corner: destination untouched
  EXPECT_EQ(dest.pixel(4, 3), kGrey);
  EXPECT_EQ(dest.pixel(8, 5), kGrey);

  // Without the mask the key colour is copied like any other.
  QImage plain = canvas(10, 8, kGrey);
  {
    QPainter p(&plain);
    dc.Draw(p, 0, 0, 0, 0, 3, 2, false);
  }
  EXPECT_EQ(plain.pixel(3, 2), kMagenta);
  EXPECT_EQ(plain.pixel(8, 5), kMagenta);
  EXPECT_EQ(plain.pixel(9, 6), kGrey);

  // Painting into the surface afterwards is seen by the next transparent copy.
  {
    QPainter p(&dc.hdc());
    p.fillRect(0, 0, 1, 1, Qt::green);
  }
  QImage again = canvas(10, 8, kGrey);
  {
    QPainter p(&again);
    dc.Draw(p, 0, 0, 2, 2, 0, 0, true);
  }
  EXPECT_EQ(again.pixel(0, 0), qRgb(0, 255, 0));
  EXPECT_EQ(again.pixel(1, 1), kGrey);
}

TEST(PcMemDC, StretchIsPixelForPixelWithoutSmoothing) {
  QImage picture(2, 1, QImage::Format_RGB32);
  picture.setPixel(0, 0, qRgb(255, 0, 0));
  picture.setPixel(1, 0, qRgb(0, 0, 255));
  pcMemDC dc;
  dc.CreateFromPicture(picture);
  QImage dest = canvas(8, 3, kGrey);
  {
    QPainter p(&dest);
    p.setRenderHint(QPainter::SmoothPixmapTransform); // the copy turns it off for itself
    dc.StretchDraw(p, 0, 0, 8, 3, 0, 0, 0, 0);
  }
  for (int x = 0; x < 8; ++x)
    EXPECT_EQ(dest.pixel(x, 1), x < 4 ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << x;
}

TEST(PcMemDC, TwiceSizePictureCopiesAtThePlainSizeAndStaysSharp) {
  // 4 x 2 logical pixels held at twice the size: each device column its own colour.
  QImage twice(8, 4, QImage::Format_RGB32);
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 4; ++y)
      twice.setPixel(x, y, qRgb(x * 30, 100, 0));
  twice.setDevicePixelRatio(2);
  pcMemDC dc;
  dc.CreateFromPicture(twice);
  EXPECT_EQ(dc.Width(), 4);
  EXPECT_EQ(dc.Height(), 2);
  QImage screen(20, 8, QImage::Format_RGB32); // a screen of ratio 2
  screen.fill(kGrey);
  screen.setDevicePixelRatio(2);
  {
    QPainter p(&screen);
    dc.Draw(p, 1, 0, 2, 2, 5, 1, false); // logical columns 1 and 2
  }
  for (int x = 0; x < 4; ++x)
    EXPECT_EQ(screen.pixel(10 + x, 2), qRgb((2 + x) * 30, 100, 0)) << x;
  EXPECT_EQ(screen.pixel(14, 2), kGrey);
}

// The play-row icon as the program stores it: one 12 x 12 image, 664 bytes of data at 22.
TEST(ClsIconLoad, PlayIconShapedFileLoadsAndDraws) {
  const QByteArray file = test::squareIcon(qRgb(0, 180, 0));
  ClsIcon icon;
  ASSERT_TRUE(icon.LoadFromData(file));
  EXPECT_EQ(icon.Count(), 1);
  EXPECT_EQ(icon.Width(0), 12);
  EXPECT_EQ(icon.Height(0), 12);
  EXPECT_EQ(icon.BitCount(0), 32);
  EXPECT_EQ(icon.Length(0), 664);
  EXPECT_EQ(icon.data(0), file.mid(22));

  QImage dest = canvas(20, 20, kGrey);
  {
    QPainter p(&dest);
    EXPECT_TRUE(icon.Draw(p, 4, 3, 0));
    EXPECT_FALSE(icon.Draw(p, 4, 3, 1));
  }
  EXPECT_EQ(dest.pixel(4 + 5, 3 + 5), qRgb(0, 180, 0));
  EXPECT_EQ(dest.pixel(4, 3), kGrey); // the transparent margin
  EXPECT_EQ(dest.pixel(4 + 12, 3 + 5), kGrey);
}

// The twice-size icon (24 x 24) covers the plain 12 x 12 on a screen of ratio 2, pixel for pixel.
TEST(ClsIconLoad, TwiceSizeIconDrawsAtThePlainSize) {
  QImage picture(24, 24, QImage::Format_ARGB32);
  picture.fill(qRgb(0, 0, 250));
  picture.setPixel(1, 0, qRgb(250, 0, 0)); // one device pixel
  ClsIcon icon;
  ASSERT_TRUE(icon.LoadFromData(test::icoFile({test::dib32(picture)}, 24, 24)));
  icon.setDevicePixelRatio(2);
  QImage screen(40, 40, QImage::Format_RGB32);
  screen.fill(kGrey);
  screen.setDevicePixelRatio(2);
  {
    QPainter p(&screen);
    EXPECT_TRUE(icon.Draw(p, 2, 2, 0));
  }
  EXPECT_EQ(screen.pixel(5, 4), qRgb(250, 0, 0));
  EXPECT_EQ(screen.pixel(4, 4), qRgb(0, 0, 250));
  EXPECT_EQ(screen.pixel(27, 27), qRgb(0, 0, 250));
  EXPECT_EQ(screen.pixel(28, 28), kGrey);
}

TEST(ClsIconLoad, FromFileAndMissingFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath("p.ico");
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(test::squareIcon(qRgb(1, 2, 3)));
  f.close();
  ClsIcon icon;
  EXPECT_TRUE(icon.LoadFromFile(path));
  EXPECT_EQ(icon.Count(), 1);
  EXPECT_FALSE(icon.LoadFromFile(dir.filePath("missing.ico")));
  EXPECT_FALSE(icon.LoadFromFile(dir.path())); // a folder is no icon
}

// Counts 0 and 65535 (read as -1), and every way the data can be shorter than it says.
TEST(ClsIconLoad, HostileFilesNeverReadPastTheEnd) {
  const QByteArray good = test::squareIcon(qRgb(0, 180, 0));
  ClsIcon icon;
  for (const char *count : {"\0\0", "\xff\xff", "\x00\x80"}) {
    QByteArray bad = good;
    bad.replace(4, 2, QByteArray(count, 2));
    EXPECT_FALSE(icon.LoadFromData(bad)) << QByteArray(count, 2).toHex().constData();
    EXPECT_EQ(icon.Count(), 0);
  }
  EXPECT_FALSE(icon.LoadFromData(good.left(5)));
  EXPECT_FALSE(icon.LoadFromData(QByteArray()));
  // Two entries announced, room for one.
  QByteArray twoAnnounced = good.left(22);
  twoAnnounced[4] = 2;
  EXPECT_FALSE(icon.LoadFromData(twoAnnounced));

  // The directory is whole but the image runs past the end: it loads and reads as nothing.
  const QByteArray cut = good.left(good.size() - 100);
  ASSERT_TRUE(icon.LoadFromData(cut));
  EXPECT_TRUE(icon.data(0).isEmpty());
  QImage dest = canvas(4, 4, kGrey);
  QPainter p(&dest);
  EXPECT_FALSE(icon.Draw(p, 0, 0, 0));
  // An offset far beyond the data, and a length that wraps past 4 GB.
  QByteArray far = good;
  far.replace(6 + 12, 4, QByteArray("\xff\xff\xff\x7f", 4));
  ASSERT_TRUE(icon.LoadFromData(far));
  EXPECT_TRUE(icon.data(0).isEmpty());
  QByteArray wrap = good;
  wrap.replace(6 + 8, 4, QByteArray("\xf0\xff\xff\xff", 4));
  ASSERT_TRUE(icon.LoadFromData(wrap));
  EXPECT_TRUE(icon.data(0).isEmpty());
  EXPECT_FALSE(icon.Draw(p, 0, 0, 0));
  // Index outside the directory.
  EXPECT_EQ(icon.Width(-1), 0);
  EXPECT_EQ(icon.Length(7), 0);
}

TEST(ClsIconLoad, ImageHeaderClaimingMoreThanItsDataDrawsNothing) {
  QByteArray image = test::dib32(QImage(12, 12, QImage::Format_ARGB32));
  image[4] = static_cast<char>(200); // 200 pixels wide, with the rows of 12
  ClsIcon icon;
  ASSERT_TRUE(icon.LoadFromData(test::icoFile({image}, 12, 12)));
  EXPECT_TRUE(icon.image(0).isNull());
}

TEST(ClsIconLoad, PngImageAndPaletteImage) {
  QImage red(16, 16, QImage::Format_ARGB32);
  red.fill(qRgb(220, 0, 0));
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  red.save(&buffer, "PNG");
  ClsIcon icon;
  ASSERT_TRUE(icon.LoadFromData(test::icoFile({png}, 16, 16)));
  EXPECT_EQ(icon.image(0).pixel(8, 8), qRgb(220, 0, 0));

  // 1 bit per pixel, two palette colours, the mask making the left half transparent.
  QByteArray dib;
  test::putLe(dib, 40, 4);
  test::putLe(dib, 8, 4);
  test::putLe(dib, 16, 4);
  test::putLe(dib, 1, 2);
  test::putLe(dib, 1, 2);
  for (int i = 0; i < 6; ++i)
    test::putLe(dib, 0, 4);
  dib.append(QByteArray("\x00\x00\x00\x00\x00\x00\xff\x00", 8)); // black, red
  for (int y = 0; y < 8; ++y)
    dib.append(QByteArray("\x0f\0\0\0", 4)); // right half colour 1
  for (int y = 0; y < 8; ++y)
    dib.append(QByteArray("\xf0\0\0\0", 4)); // left half masked out
  ASSERT_TRUE(icon.LoadFromData(test::icoFile({dib}, 8, 8, 1)));
  const QImage picture = icon.image(0);
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(qAlpha(picture.pixel(1, 3)), 0);
  EXPECT_EQ(picture.pixel(6, 3), qRgb(255, 0, 0));
}

TEST(MemoryBlockCopies, RangesOutsideTheBlockCopyNothing) {
  MemoryBlock block;
  EXPECT_EQ(block.Handle(), nullptr);
  ASSERT_TRUE(block.Allocate(16));
  ASSERT_NE(block.Handle(), nullptr);
  const std::array<std::byte, 4> in{std::byte{1}, std::byte{2}, std::byte{3}, std::byte{4}};
  EXPECT_TRUE(block.WriteTo(in, 4, 12));
  EXPECT_FALSE(block.WriteTo(in, 4, 13)); // one byte past the end
  EXPECT_FALSE(block.WriteTo(in, 5, 0));  // more than the source holds
  EXPECT_FALSE(block.WriteTo(in, -1, 0));

  std::array<std::byte, 32> out{};
  EXPECT_FALSE(block.ReadFrom(out, 17)); // beyond the block's length
  EXPECT_FALSE(block.ReadFrom(out, 4, 14));
  EXPECT_FALSE(block.ReadFrom(out, 4, -2));
  EXPECT_EQ(out[0], std::byte{0});
  EXPECT_TRUE(block.ReadFrom(out, 4, 12));
  EXPECT_EQ(out[3], std::byte{4});
  std::array<std::byte, 2> small{};
  EXPECT_FALSE(block.ReadFrom(small, 4, 12)); // destination too small

  block.ReleaseMemory();
  EXPECT_EQ(block.Handle(), nullptr);
  EXPECT_FALSE(block.ReadFrom(out, 1));
  EXPECT_FALSE(block.Allocate(0));
}

TEST(MemoryBlockCopies, ExtractString) {
  MemoryBlock block;
  ASSERT_TRUE(block.Allocate(8));
  const char text[] = "abc\0xyzw";
  block.WriteTo(std::as_bytes(std::span(text, 8)), 8);
  EXPECT_EQ(block.ExtractString(0, 100), QStringLiteral("abc"));
  EXPECT_EQ(block.ExtractString(0, 2), QStringLiteral("ab")); // at most lMax bytes
  EXPECT_EQ(block.ExtractString(4, 3), QStringLiteral("xyz"));
  // No terminator before the block ends, and more asked for than is left: nothing.
  EXPECT_EQ(block.ExtractString(4, 10), QString());
  EXPECT_EQ(block.ExtractString(9, 1), QString());
  // GBK text comes back as text.
  const char gbk[] = "\xc4\xe3\xba\xc3";
  block.WriteTo(std::as_bytes(std::span(gbk, 5)), 5);
  EXPECT_EQ(block.ExtractString(0, 8), QStringLiteral("你好"));
}

} // namespace
} // namespace lumiqo
