// The lyrics window on a screen of device pixel ratio 2, drawing from a twice-size bitmap.
#include "lyrics/frm_lrc_show.h"

#include "lyrics/lrc_show.h"
#include "support/key_pixels.h"

#include <QApplication>
#include <gtest/gtest.h>

// This program runs at twice the size; the variable is read when the test main makes the
// application.
static const bool kTwiceSize = qputenv("QT_SCALE_FACTOR", "2");

namespace lumiqo {
namespace {

TEST(FrmLrcShowHiDpi, TheTwiceSizeBitmapPaintsTheFrameMaskAndViewAtThePlainGeometry) {
  ASSERT_TRUE(kTwiceSize);
  QImage plain(306, 87, QImage::Format_RGB32);
  for (int y = 0; y < 87; ++y)
    for (int x = 0; x < 306; ++x)
      plain.setPixel(x, y, qRgb(x % 251, 10 + y * 2, 41 + x / 251 * 100));
  plain.setPixel(0, 0, qRgb(255, 0, 0));
  plain.setPixel(305, 86, qRgb(255, 0, 0));
  QImage twice = plain.scaled(612, 174); // every pixel a 2 x 2 block
  twice.setDevicePixelRatio(2);

  frmLrcShow window(nullptr, twice);
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(window.size(), QSize(306, 87));
  EXPECT_EQ(window.surface().size(), QSize(612, 174));
  EXPECT_EQ(window.surface().convertToFormat(QImage::Format_RGB32),
            twice.convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(window.LrcShow1->geometry(), QRect(9, 34, 288, 43));
  EXPECT_EQ(window.LrcShow1->surface().convertToFormat(QImage::Format_RGB32), plain.copy(9, 34, 288, 43));
  EXPECT_FALSE(window.mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(window.mask().contains(QPoint(305, 86)));
  EXPECT_TRUE(window.mask().contains(QPoint(1, 0)));

  window.resize(326, 87);
  EXPECT_EQ(window.surface().copy(102 + 40, 0, 510, 174).convertToFormat(QImage::Format_RGB32),
            twice.copy(102, 0, 510, 174).convertToFormat(QImage::Format_RGB32));
  EXPECT_FALSE(window.mask().contains(QPoint(325, 86)));
}

// The program's own twice-size bitmap: no key pixel inside the window's shape, at its size or
// stretched.
TEST(FrmLrcShowHiDpi, NoKeyPixelOfTheProgramsBitmapShows) {
  ASSERT_TRUE(kTwiceSize);
  const QImage skin = frmLrcShow::resourceSkin(2);
  ASSERT_EQ(skin.devicePixelRatio(), 2);
  frmLrcShow window(nullptr, skin);
  window.show();
  QApplication::processEvents();
  EXPECT_EQ(test::keyPixelsShown(window.surface(), window.mask()), 0);
  window.resize(451, 233);
  EXPECT_EQ(test::keyPixelsShown(window.surface(), window.mask()), 0);
  EXPECT_FALSE(window.mask().contains(QPoint(450, 232)));
}

} // namespace
} // namespace lumiqo
