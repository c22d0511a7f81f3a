#pragma once
// The picture strip of an image button: four looks of equal width side by side, and the
// half-and-half blends shown for one tick when the button changes from one look to another.

#include <QImage>
#include <QRect>

namespace lumiqo {

// Frame sizes are kept as 16-bit twip counts, so a frame is at most this many pixels wide or
// high (2184 x 15 = 32760 <= 32767).
inline constexpr int kMaxFramePixels = 2184;

// n / 4 rounded to the nearest integer, halves to even (102 -> 26, 98 -> 24).
int quarterRounded(int n);

// Where look k (0..3) lies in a strip `width` pixels wide and `height` high: it starts at
// k x width / 4 and is width / 4 wide, both rounded halves to even. For any width the last
// look ends exactly at the strip's right edge.
QRect stripFrame(int width, int height, int k);

// The four looks of `strip`, cut at stripFrame in the strip's own pixels and carrying its
// device pixel ratio.
struct StripFrames {
  QImage frame[4];
};
StripFrames cutStrip(const QImage &strip);

// The blend of two pictures over the smaller of their widths and heights: each of red, green
// and blue is (P + Q) / 2, rounded halves to even (10 and 11 give 10, 11 and 12 give 12). A
// null picture when the blend cannot be allocated.
QImage halfAndHalf(const QImage &a, const QImage &b);

} // namespace lumiqo
