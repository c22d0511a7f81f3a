#include "controls/c_scrollbar_draw.h"
#include "scrollbar_test_art.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace lumiqo {
namespace {

using test::artColour;
constexpr QRgb kGround = qRgb(7, 7, 7);
constexpr int V = cScrollbarDraw::kVertical;
constexpr int H = cScrollbarDraw::kHorizontal;

QImage drawn(const std::function<void(QPainter &)> &paint, int w = 60, int h = 60) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(kGround);
  QPainter p(&image);
  paint(p);
  return image;
}

TEST(ScrollbarDraw, VerticalArrowsEveryStateFromItsFrame) {
  const cScrollbarDraw draw(test::testBitmaps());
  for (int s = 0; s <= 4; ++s) {
    SCOPED_TRACE(s);
    // 25 wide: edges unscaled (0-2, 22-24), middle stretched, glyph at nearest(8 / 2) = 4.
    const QImage img = drawn([&](QPainter &p) {
      draw.drawFirstArrow(p, V, s, QRect(0, 0, 25, 18));
      draw.drawSecondArrow(p, V, s, QRect(0, 20, 25, 18));
    });
    EXPECT_EQ(img.pixel(0, 0), artColour(test::kArrowV, s, 0));
    EXPECT_EQ(img.pixel(2, 17), artColour(test::kArrowV, s, 0));
    EXPECT_EQ(img.pixel(3, 1), artColour(test::kArrowV, s, 1));
    EXPECT_EQ(img.pixel(21, 1), artColour(test::kArrowV, s, 1));
    EXPECT_EQ(img.pixel(22, 1), artColour(test::kArrowV, s, 2));
    EXPECT_EQ(img.pixel(25, 1), kGround);
    // The glyph block (columns 5-11, rows 6-11 of its frame) shifted by 4; magenta shows
    // the button underneath.
    EXPECT_EQ(img.pixel(9, 6), artColour(test::kGlyphUp, s, 4));
    EXPECT_EQ(img.pixel(15, 11), artColour(test::kGlyphUp, s, 4));
    EXPECT_EQ(img.pixel(8, 6), artColour(test::kArrowV, s, 1));
    EXPECT_EQ(img.pixel(16, 11), artColour(test::kArrowV, s, 1));
    EXPECT_EQ(img.pixel(9, 20 + 6), artColour(test::kGlyphDown, s, 4));
    EXPECT_EQ(img.pixel(0, 20), artColour(test::kArrowV, s, 0));
  }
}

TEST(ScrollbarDraw, ArrowGlyphPlacementAndFullLength) {
  const cScrollbarDraw draw(test::testBitmaps());
  // 17 wide: the frame unscaled and the glyph at x 0.
  QImage img = drawn([&](QPainter &p) { draw.drawFirstArrow(p, V, 0, QRect(3, 0, 17, 18)); });
  EXPECT_EQ(img.pixel(3 + 5, 6), artColour(test::kGlyphUp, 0, 4));
  EXPECT_EQ(img.pixel(3 + 4, 6), artColour(test::kArrowV, 0, 1));
  // 18 wide: (18 - 17) / 2 = 0.5 rounds to the even 0.
  img = drawn([&](QPainter &p) { draw.drawFirstArrow(p, V, 0, QRect(0, 0, 18, 18)); });
  EXPECT_EQ(img.pixel(5, 6), artColour(test::kGlyphUp, 0, 4));
  EXPECT_EQ(img.pixel(12, 6), artColour(test::kArrowV, 0, 1));
  // 20 wide: 1.5 rounds to 2.
  img = drawn([&](QPainter &p) { draw.drawFirstArrow(p, V, 0, QRect(0, 0, 20, 18)); });
  EXPECT_EQ(img.pixel(6, 6), artColour(test::kArrowV, 0, 1));
  EXPECT_EQ(img.pixel(7, 6), artColour(test::kGlyphUp, 0, 4));
  // Shorter than 18: still 18 rows from its top (the control's window clips it).
  img = drawn([&](QPainter &p) { draw.drawSecondArrow(p, V, 3, QRect(0, 10, 17, 7)); });
  EXPECT_EQ(img.pixel(0, 27), artColour(test::kArrowV, 3, 0));
  EXPECT_EQ(img.pixel(0, 28), kGround);
}

TEST(ScrollbarDraw, HorizontalArrowsUseTheirOwnStripsAndGlyphs) {
  const cScrollbarDraw draw(test::testBitmaps());
  for (int s = 0; s <= 4; ++s) {
    SCOPED_TRACE(s);
    // 21 tall: rows 0-2 and 18-20 unscaled, glyph at nearest(4 / 2) = 2 down.
    const QImage img = drawn([&](QPainter &p) {
      draw.drawFirstArrow(p, H, s, QRect(0, 0, 18, 21));
      draw.drawSecondArrow(p, H, s, QRect(30, 0, 18, 21));
    });
    EXPECT_EQ(img.pixel(0, 0), artColour(test::kArrowH, s, 0));
    EXPECT_EQ(img.pixel(1, 10), artColour(test::kArrowH, s, 1));
    EXPECT_EQ(img.pixel(1, 18), artColour(test::kArrowH, s, 2));
    EXPECT_EQ(img.pixel(18, 10), kGround);
    EXPECT_EQ(img.pixel(6, 2 + 5), artColour(test::kGlyphLeft, s, 4));
    EXPECT_EQ(img.pixel(6, 2 + 4), artColour(test::kArrowH, s, 1));
    EXPECT_EQ(img.pixel(30 + 6, 2 + 5), artColour(test::kGlyphRight, s, 4));
  }
}

TEST(ScrollbarDraw, TrackPiecesBothStatesBothOrientations) {
  const cScrollbarDraw draw(test::testBitmaps());
  for (int s = 0; s <= 1; ++s) {
    SCOPED_TRACE(s);
    const QImage img = drawn([&](QPainter &p) {
      draw.drawTrack(p, V, s, QRect(0, 10, 17, 30));
      draw.drawTrack(p, H, s, QRect(20, 0, 35, 17));
    });
    EXPECT_EQ(img.pixel(1, 10), artColour(test::kBackV, s, 0));
    EXPECT_EQ(img.pixel(8, 39), artColour(test::kBackV, s, 1));
    EXPECT_EQ(img.pixel(16, 25), artColour(test::kBackV, s, 2));
    EXPECT_EQ(img.pixel(0, 40), kGround);
    EXPECT_EQ(img.pixel(54, 2), artColour(test::kBackH, s, 0));
    EXPECT_EQ(img.pixel(20, 8), artColour(test::kBackH, s, 1));
    EXPECT_EQ(img.pixel(30, 14), artColour(test::kBackH, s, 2));
  }
}

TEST(ScrollbarDraw, ThumbNineSliceAndGripFromSixteenPixels) {
  const cScrollbarDraw draw(test::testBitmaps());
  for (int s = 0; s <= 3; ++s) {
    SCOPED_TRACE(s);
    // 15 tall: no grip; the middle shows the centre slice.
    QImage img = drawn([&](QPainter &p) { draw.drawThumb(p, V, s, QRect(0, 5, 17, 15)); });
    EXPECT_EQ(img.pixel(0, 5), artColour(test::kThumbV, s, 0));
    EXPECT_EQ(img.pixel(8, 5), artColour(test::kThumbV, s, 1));
    EXPECT_EQ(img.pixel(16, 19), artColour(test::kThumbV, s, 8));
    EXPECT_EQ(img.pixel(1, 12), artColour(test::kThumbV, s, 3));
    EXPECT_EQ(img.pixel(8, 12), artColour(test::kThumbV, s, 4));
    EXPECT_EQ(img.pixel(8, 20), kGround);

    // 16 tall at top 5: the grip at x nearest(8 / 2) = 4, y nearest(3 + 5) = 8; its block
    // is columns 3-5, rows 3-6 of the grip frame.
    img = drawn([&](QPainter &p) { draw.drawThumb(p, V, s, QRect(0, 5, 17, 16)); });
    EXPECT_EQ(img.pixel(4 + 3, 8 + 3), artColour(test::kGripV, s, 4));
    EXPECT_EQ(img.pixel(4 + 5, 8 + 6), artColour(test::kGripV, s, 4));
    EXPECT_EQ(img.pixel(4 + 6, 8 + 6), artColour(test::kThumbV, s, 4));
    EXPECT_EQ(img.pixel(4 + 3, 8 + 2), artColour(test::kThumbV, s, 4));

    // Horizontal: 15 wide no grip; 40 wide grip at x nearest(15 + 2) = 17, y nearest(4) = 4.
    img = drawn([&](QPainter &p) { draw.drawThumb(p, H, s, QRect(2, 0, 15, 17)); });
    EXPECT_EQ(img.pixel(2, 16), artColour(test::kThumbH, s, 6));
    EXPECT_EQ(img.pixel(9, 8), artColour(test::kThumbH, s, 4));
    img = drawn([&](QPainter &p) { draw.drawThumb(p, H, s, QRect(2, 0, 40, 17)); });
    EXPECT_EQ(img.pixel(17 + 3, 4 + 3), artColour(test::kGripH, s, 4));
    EXPECT_EQ(img.pixel(17 + 2, 4 + 3), artColour(test::kThumbH, s, 4));
    EXPECT_EQ(img.pixel(41, 0), artColour(test::kThumbH, s, 2));
  }
}

// On a screen of ratio 2 the twice-size set is drawn one to one: a detail one device pixel
// wide survives, and the geometry is the same in logical pixels.
TEST(ScrollbarDraw, TwiceSizeSetDrawsSharpAtRatioTwo) {
  ScrollbarBitmaps b = test::testBitmaps(2);
  b.arrowV.setPixel(0, 0, qRgb(1, 2, 3)); // device column 0 of frame 0 only
  const cScrollbarDraw draw(b);
  QImage screen(60, 60, QImage::Format_RGB32);
  screen.fill(kGround);
  screen.setDevicePixelRatio(2);
  {
    QPainter p(&screen);
    draw.drawFirstArrow(p, V, 0, QRect(0, 0, 25, 18));
  }
  EXPECT_EQ(screen.pixel(0, 0), qRgb(1, 2, 3));
  EXPECT_EQ(screen.pixel(1, 0), artColour(test::kArrowV, 0, 0));
  EXPECT_EQ(screen.pixel(5, 1), artColour(test::kArrowV, 0, 0));
  EXPECT_EQ(screen.pixel(6, 1), artColour(test::kArrowV, 0, 1));
  EXPECT_EQ(screen.pixel(49, 35), artColour(test::kArrowV, 0, 2));
  EXPECT_EQ(screen.pixel(50, 35), kGround);
  EXPECT_EQ(screen.pixel(18, 12), artColour(test::kGlyphUp, 0, 4)); // logical (9, 6)
}

TEST(ScrollbarDraw, MissingResourcesDrawNothing) {
  const cScrollbarDraw draw(ScrollbarBitmaps{});
  const QImage img = drawn([&](QPainter &p) {
    draw.drawFirstArrow(p, V, 0, QRect(0, 0, 17, 18));
    draw.drawThumb(p, H, 1, QRect(0, 20, 40, 17));
    draw.drawTrack(p, V, 1, QRect(0, 0, 17, 40));
  });
  EXPECT_EQ(img.pixel(8, 8), kGround);
  EXPECT_EQ(img.pixel(20, 28), kGround);
}

} // namespace
} // namespace lumiqo
