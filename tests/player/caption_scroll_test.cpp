#include "player/caption_scroll.h"

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

TEST(CaptionScroll, FittingCaptionStandsCentred) {
  CaptionScroll s;
  for (int i = 0; i < 5; ++i)
    EXPECT_DOUBLE_EQ(captionTick(s, 3000, 1800, 2000, 15), 500);
  EXPECT_EQ(s.gd_i, 0);
  EXPECT_FALSE(s.scroll_back);
}

TEST(CaptionScroll, LongCaptionSwingsBetweenItsEnds) {
  // Box 3000, printed text 3090: the caption may travel 90 twips, 6 pixels.
  CaptionScroll s;
  std::vector<double> xs;
  for (int i = 0; i < 16; ++i)
    xs.push_back(captionTick(s, 3000, 3060, 3090, 15));
  const std::vector<double> expected = {-15, -30, -45, -60, -75, -90, -75, -60,
                                        -45, -30, -15, 0,   -15, -30, -45, -60};
  EXPECT_EQ(xs, expected);
}

} // namespace
} // namespace lumiqo
