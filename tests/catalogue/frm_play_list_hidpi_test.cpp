// The playlist window on a screen of device pixel ratio 2: the twice-size pictures at the
// plain geometry, the hand pointer from its twice-size picture.
#include "frm_play_list_fixture.h"

#include "controls/click_area.h"
#include "support/key_pixels.h"

// This program runs at twice the size; the variable is read when the test main makes the
// application.
static const bool kTwiceSize = qputenv("QT_SCALE_FACTOR", "2");

namespace lumiqo::test {
namespace {

using PlayListWindowHiDpi = PlayListWindowTest;

TEST_F(PlayListWindowHiDpi, TheTwiceSizePicturesPaintThePlainGeometry) {
  ASSERT_TRUE(kTwiceSize);
  EXPECT_EQ(window_->size(), QSize(306, 354));
  EXPECT_EQ(window_->surface().size(), QSize(612, 708));
  EXPECT_EQ(window_->surface().convertToFormat(QImage::Format_RGB32),
            window_->s_list1().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(window_->pic_serach_bg->size(), QSize(290, 36));
  EXPECT_FALSE(window_->mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(window_->mask().contains(QPoint(150, 200)));
  fill(120);
  expectHeadingsOverTheColumns();
}

// The rounded corners of the twice-size picture leave no key pixel inside the window's shape,
// at the picture's size or stretched.
TEST_F(PlayListWindowHiDpi, NoKeyPixelShowsAtTwiceTheSize) {
  ASSERT_TRUE(kTwiceSize);
  EXPECT_EQ(keyPixelsShown(window_->surface(), window_->mask()), 0);
  window_->resize(331, 401);
  EXPECT_EQ(keyPixelsShown(window_->surface(), window_->mask()), 0);
  EXPECT_FALSE(window_->mask().contains(QPoint(330, 400)));
}

TEST_F(PlayListWindowHiDpi, TheHandPointerComesFromItsTwiceSizePicture) {
  const QCursor pointer = window_->myfavorites->cursor();
  ASSERT_EQ(pointer.shape(), Qt::BitmapCursor);
  EXPECT_EQ(pointer.pixmap().size(), QSize(64, 64));
  EXPECT_EQ(pointer.hotSpot(), QPoint(12, 0)); // the X server reads it in the picture's pixels
  EXPECT_EQ(window_->MO->cursor().pixmap().cacheKey(), pointer.pixmap().cacheKey());
}

} // namespace
} // namespace lumiqo::test
