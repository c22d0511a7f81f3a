// What a tick of the lyrics view computes: colours, scroll offset, redraw rule and layout.
#include "lyrics/lrc_frame.h"

#include "base/colour.h"
#include "lyrics_colours.h"

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using test::kFore;
using test::kLrc;

TEST(ColourArithmetic, ScaleRoundsHalvesToEvenAndJoins) {
  EXPECT_EQ(scaleColour(RGB(255, 255, 0), 0.4f), RGB(102, 102, 0));
  EXPECT_EQ(scaleColour(RGB(5, 3, 1), 0.5f), RGB(2, 2, 0)); // 2.5 -> 2, 1.5 -> 2, 0.5 -> 0
  EXPECT_EQ(scaleColour(RGB(100, 0, 0), 3.0f), RGB(255, 0, 0));
  // Any negative channel gives black; a zero channel stays zero and is not negative.
  EXPECT_EQ(scaleColour(RGB(1, 0, 0), -1.0f), 0u);
  // A channel that leaves the 16-bit range becomes 0 (the others are kept).
  EXPECT_EQ(scaleColour(RGB(255, 1, 0), 200.0f), RGB(0, 200, 0));
}

TEST(ColourArithmetic, AddLimitsEachChannel) {
  EXPECT_EQ(addColours(RGB(200, 10, 0), RGB(100, 20, 255)), RGB(255, 30, 255));
  EXPECT_EQ(addColours(0, kFore), kFore);
}

std::vector<LyricLine> lines() {
  return {{0, ""}, {1000, "a"}, {2000, "b"}, {3000, "c"}, {5000, "d"}};
}

TEST(LrcFrameTest, OffsetAndColoursThroughALine) {
  // Just after the line at 1000 starts: offset 150, previous line lit, current line plain.
  LrcFrame f = computeFrame(lines(), 1000.01f, kFore, kLrc);
  EXPECT_EQ(f.place.c, 1);
  EXPECT_NEAR(f.offset, 150, 0.01);
  EXPECT_EQ(f.previousColour, RGB(255, 255, 0));
  EXPECT_EQ(f.currentColour, RGB(155, 155, 0));

  f = computeFrame(lines(), 1040, kFore, kLrc); // 4 %
  EXPECT_NEAR(f.offset, 0.96f * 270 - 120, 0.01);
  EXPECT_EQ(f.currentColour, RGB(255, 255, 0));
  EXPECT_EQ(f.previousColour, RGB(255, 255, 0)); // 153 + 155, limited

  f = computeFrame(lines(), 1100, kFore, kLrc); // 10 %: the exchange is complete
  EXPECT_EQ(f.previousColour, kFore);
  EXPECT_EQ(f.currentColour, RGB(255, 255, 0));

  f = computeFrame(lines(), 1999.99f, kFore, kLrc); // just before the next line
  EXPECT_EQ(f.place.c, 1);
  EXPECT_NEAR(f.offset, -120, 0.01);
  EXPECT_EQ(f.previousColour, kFore); // negative scaled channels join to black
}

TEST(LrcFrameTest, BeforeTheFirstLineAndAtTheLast) {
  const std::vector<LyricLine> late{{500, "x"}, {600, "y"}, {900, "z"}};
  LrcFrame f = computeFrame(late, 100, kFore, kLrc);
  EXPECT_EQ(f.place.c, 0);
  EXPECT_GT(f.offset, 150);
  // The last line, once begun, stays where a line starts and lit, however long the song
  // goes on; the line before it is back to ForeColor.
  for (float at : {900.5f, 905.0f, 6000.0f, 90000.0f}) {
    f = computeFrame(late, at, kFore, kLrc);
    EXPECT_EQ(f.place.c, 2) << at;
    EXPECT_FLOAT_EQ(f.offset, 150) << at;
    EXPECT_EQ(f.currentColour, RGB(255, 255, 0)) << at;
  }
  EXPECT_EQ(f.previousColour, kFore);
  // Up to its start the line before it runs its course as any other.
  f = computeFrame(late, 899.99f, kFore, kLrc);
  EXPECT_EQ(f.place.c, 1);
  EXPECT_NEAR(f.offset, -120, 0.1);
}

TEST(RedrawRule, OnAPixelOrAColourStepOfAHundred) {
  EXPECT_FALSE(frameChanged(0, 0, 14.9f, 99));
  EXPECT_TRUE(frameChanged(0, 0, 15, 0));
  EXPECT_TRUE(frameChanged(0, 0, -0.5f, 0)); // Int rounds down
  EXPECT_TRUE(frameChanged(0, 199, 0, 200));
}

TEST(Layout, TwoEntriesShowTheCurrentLineCentredWithoutOffset) {
  LrcFrame f;
  f.place.c = 1;
  f.offset = -5000;
  EXPECT_EQ(layoutFrame(f, 1, 1500, 300, kFore, kLrc), (std::vector<PlacedLine>{{1, 600, kLrc}}));
}

TEST(Layout, RowsAroundTheCurrentLine) {
  LrcFrame f;
  f.place.c = 3;
  f.place.q = 2;
  f.offset = 10;
  f.currentColour = 1;
  f.previousColour = 2;
  // 1350 twips are five rows: lines from round(3 - 5) = 0 up to round(5 + 3) = 8.
  const float y0 = (1350 - 270) / 2 + 10;
  const std::vector<PlacedLine> expected{{3, y0, 1},           {2, y0 - 270, 2},      {1, y0 - 540, kFore},
                                         {0, y0 - 810, kFore}, {4, y0 + 270, kFore},  {5, y0 + 540, kFore},
                                         {6, y0 + 810, kFore}, {7, y0 + 1080, kFore}, {8, y0 + 1350, kFore}};
  EXPECT_EQ(layoutFrame(f, 10, 1350, 270, kFore, kLrc), expected);

  // At c = 0 entry 0 stands in three rows: current, previous and first earlier line.
  f.place.c = 0;
  f.place.q = 0;
  const std::vector<PlacedLine> start = layoutFrame(f, 1, 1350, 270, kFore, kLrc);
  ASSERT_EQ(start.size(), 1u); // two entries: the one-line message form
  const std::vector<PlacedLine> top = layoutFrame(f, 2, 1350, 270, kFore, kLrc);
  ASSERT_EQ(top.size(), 5u);
  EXPECT_EQ(top[0].index, 0);
  EXPECT_EQ(top[1].index, 0);
  EXPECT_EQ(top[2], (PlacedLine{0, y0 - 540, kFore}));
  EXPECT_EQ(top[4].index, 2); // the later lines stop at the last index
}

} // namespace
} // namespace lumiqo
