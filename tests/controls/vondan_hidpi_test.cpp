// The image button on a screen of device pixel ratio 2: it draws the twice-size strip and
// keeps the plain strip's geometry.
#include "controls/vondan.h"

#include "controls/hidpi.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// This program runs at twice the size; the variable is read when the test main makes the
// application.
static const bool kTwiceSize = qputenv("QT_SCALE_FACTOR", "2");

namespace lumiqo {
namespace {

QImage makeStrip(int width, int height, int seed) {
  QImage strip(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      strip.setPixel(x, y, qRgb((x * seed) % 256, (y * 5 + x) % 256, 30 + 70 * (x * 4 / width)));
  return strip;
}

TEST(VondanHiDpi, DrawsTheTwiceSizeStripAtThePlainGeometry) {
  ASSERT_TRUE(kTwiceSize);
  QTemporaryDir dir;
  const QString path = dir.filePath("next.bmp");
  const QImage twice = makeStrip(200, 50, 3);
  ASSERT_TRUE(makeStrip(100, 25, 7).save(path));
  ASSERT_TRUE(twice.save(doubleSizePath(path)));

  vondan button;
  ASSERT_GE(button.devicePixelRatioF(), 2.0);
  ASSERT_TRUE(button.setUPicPath(path));
  EXPECT_EQ(button.frameSize(), QSize(25, 25));
  EXPECT_EQ(button.size(), QSize(25, 25));
  const auto shown = [&] { return button.grab().toImage().convertToFormat(QImage::Format_RGB32); };
  EXPECT_EQ(shown(), twice.copy(0, 0, 50, 50));

  button.vondpicy_m(1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !button.timerActive(); }, 5000));
  EXPECT_EQ(shown(), twice.copy(50, 0, 50, 50));
  button.vondpicy_m(2);
  EXPECT_EQ(shown(), halfAndHalf(twice.copy(50, 0, 50, 50), twice.copy(100, 0, 50, 50)));
}

} // namespace
} // namespace lumiqo
