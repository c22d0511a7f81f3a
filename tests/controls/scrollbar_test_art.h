#pragma once
// Scroll bar bitmaps for the tests, every piece in a colour of its own: which bitmap, which
// frame and which slice of the frame a pixel came from can be read back from the colour.
// Glyphs and grips are magenta with a coloured block in their middle.

#include "controls/c_scrollbar_draw.h"

#include <QImage>

#include <functional>

namespace lumiqo::test {

enum ArtId {
  kBackV,
  kBackH,
  kArrowV,
  kArrowH,
  kGlyphUp,
  kGlyphDown,
  kGlyphLeft,
  kGlyphRight,
  kThumbV,
  kThumbH,
  kGripV,
  kGripH
};

constexpr QRgb kKeyMagenta = qRgb(255, 0, 255);

// Slices across a frame: 0 the first 3 pixels, 1 the middle, 2 the last 3.
inline int slice(int at, int length) {
  return at < 3 ? 0 : at >= length - 3 ? 2 : 1;
}

// The colour of slice `region` of frame `frame` of bitmap `id`.
inline QRgb artColour(int id, int frame, int region) {
  return qRgb(10 + id * 20, 40 + frame * 40, 20 + region * 25);
}

// A strip of `frames` frames of fw x fh, side by side or one under the other, coloured by
// `region` (x, y within the frame -> region, or -1 for magenta).
inline QImage strip(int id, int frames, int fw, int fh, bool sideBySide, int scale,
                    const std::function<int(int, int)> &region) {
  const int w = (sideBySide ? fw * frames : fw) * scale;
  const int h = (sideBySide ? fh : fh * frames) * scale;
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int lx = x / scale;
      const int ly = y / scale;
      const int frame = sideBySide ? lx / fw : ly / fh;
      const int r = region(lx % fw, ly % fh);
      image.setPixel(x, y, r < 0 ? kKeyMagenta : artColour(id, frame, r));
    }
  image.setDevicePixelRatio(scale);
  return image;
}

// Glyph and grip frames: a block of region 4 from 1/3 to 2/3 of the frame, magenta around.
inline std::function<int(int, int)> block(int fw, int fh) {
  return [fw, fh](int x, int y) {
    return x >= fw / 3 && x < fw - fw / 3 && y >= fh / 3 && y < fh - fh / 3 ? 4 : -1;
  };
}

inline ScrollbarBitmaps testBitmaps(int scale = 1) {
  auto across = [](int x, int) { return slice(x, 17); };
  auto down = [](int, int y) { return slice(y, 17); };
  ScrollbarBitmaps b;
  b.backV = strip(kBackV, 2, 17, 2, false, scale, across);
  b.backH = strip(kBackH, 2, 2, 17, true, scale, down);
  b.arrowV = strip(kArrowV, 5, 17, 18, false, scale, across);
  b.arrowH = strip(kArrowH, 5, 18, 17, true, scale, down);
  b.arrowVT = strip(kGlyphUp, 5, 17, 18, false, scale, block(17, 18));
  b.arrowVB = strip(kGlyphDown, 5, 17, 18, false, scale, block(17, 18));
  b.arrowHL = strip(kGlyphLeft, 5, 18, 17, true, scale, block(18, 17));
  b.arrowHR = strip(kGlyphRight, 5, 18, 17, true, scale, block(18, 17));
  b.thumbV =
      strip(kThumbV, 4, 17, 15, true, scale, [](int x, int y) { return slice(y, 15) * 3 + slice(x, 17); });
  b.thumbH =
      strip(kThumbH, 4, 15, 17, false, scale, [](int x, int y) { return slice(y, 17) * 3 + slice(x, 15); });
  b.gripV = strip(kGripV, 4, 9, 10, false, scale, block(9, 10));
  b.gripH = strip(kGripH, 4, 10, 9, false, scale, block(10, 9));
  return b;
}

} // namespace lumiqo::test
