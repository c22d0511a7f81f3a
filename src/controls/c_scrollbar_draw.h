#pragma once
// cScrollbarDraw: paints the scroll bar's parts (arrow buttons with their glyphs, the two
// track pieces, the thumb with its grip) from twelve bitmaps. The caller says which frame (the
// state) and where (the part's rectangle) on every call; the object holds only the bitmaps.

#include "controls/pc_mem_dc.h"

#include <QImage>
#include <QRect>

class QPainter;

namespace lumiqo {

// The twelve bitmaps, 24-bit, pure magenta where the glyphs and grips are transparent.
struct ScrollbarBitmaps {
  QImage backV;   // track, vertical: 2 frames of 17 x 2, one under the other
  QImage backH;   // track, horizontal: 2 frames of 2 x 17, side by side
  QImage arrowV;  // arrow button, vertical: 5 frames of 17 x 18, one under the other
  QImage arrowH;  // arrow button, horizontal: 5 frames of 18 x 17, side by side
  QImage arrowVT; // up glyph, frames as arrowV
  QImage arrowVB; // down glyph
  QImage arrowHL; // left glyph, frames as arrowH
  QImage arrowHR; // right glyph
  QImage thumbV;  // thumb, vertical: 4 frames of 17 x 15, side by side
  QImage thumbH;  // thumb, horizontal: 4 frames of 15 x 17, one under the other
  QImage gripV;   // grip, vertical: 4 frames of 9 x 10, one under the other
  QImage gripH;   // grip, horizontal: 4 frames of 10 x 9, one under the other

  // The program's own set ("SCRBACKV.bmp" ...), the twice-size one at a device pixel ratio
  // of 2 or more. Missing resources come back as null images (those parts draw nothing).
  static ScrollbarBitmaps fromResources(qreal devicePixelRatio);
};

class cScrollbarDraw {
public:
  // Orientations.
  static constexpr int kVertical = 0;
  static constexpr int kHorizontal = 1;

  // From the program's resources.
  explicit cScrollbarDraw(qreal devicePixelRatio = 1);
  explicit cScrollbarDraw(const ScrollbarBitmaps &bitmaps);

  // Arrow frames: 0 normal, 1 pointer over the bar, 2 pointer over this arrow, 3 pressed,
  // 4 disabled. Track frames: 0 normal, 1 pressed. Thumb and grip: 0 normal, 1 hot, 2 pressed,
  // 3 disabled.
  void drawFirstArrow(QPainter &hdc, int orientation, int state, const QRect &r) const;
  void drawSecondArrow(QPainter &hdc, int orientation, int state, const QRect &r) const;
  void drawTrack(QPainter &hdc, int orientation, int state, const QRect &r) const;
  void drawThumb(QPainter &hdc, int orientation, int state, const QRect &r) const;

private:
  void drawArrow(QPainter &hdc, int orientation, int state, const QRect &r, const pcMemDC &glyph) const;

  pcMemDC backV_, backH_, arrowV_, arrowH_, arrowVT_, arrowVB_, arrowHL_, arrowHR_;
  pcMemDC thumbV_, thumbH_, gripV_, gripH_;
};

} // namespace lumiqo
