#include "controls/c_scrollbar_draw.h"

#include "controls/program_resources.h"
#include "controls/round_half_even.h"

#include <QPainter>

namespace lumiqo {
namespace {

constexpr int kEdge = 3; // the unscaled border of arrows, tracks and thumb

// Copies the frame `src` onto `dst` in nine pieces: corners unscaled, edges stretched along
// themselves, the centre both ways.
void nineSlice(const pcMemDC &dc, QPainter &p, const QRect &src, const QRect &dst) {
  const int sx[3] = {src.x(), src.x() + kEdge, src.x() + src.width() - kEdge};
  const int sw[3] = {kEdge, src.width() - 2 * kEdge, kEdge};
  const int sy[3] = {src.y(), src.y() + kEdge, src.y() + src.height() - kEdge};
  const int sh[3] = {kEdge, src.height() - 2 * kEdge, kEdge};
  const int dx[3] = {dst.x(), dst.x() + kEdge, dst.x() + dst.width() - kEdge};
  const int dw[3] = {kEdge, dst.width() - 2 * kEdge, kEdge};
  const int dy[3] = {dst.y(), dst.y() + kEdge, dst.y() + dst.height() - kEdge};
  const int dh[3] = {kEdge, dst.height() - 2 * kEdge, kEdge};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      dc.StretchDraw(p, dx[col], dy[row], dw[col], dh[row], sx[col], sy[row], sw[col], sh[row]);
}

// Copies the frame `src` onto `dst` in three bands across the bar (edges unscaled across,
// the middle stretched), each band stretched along the bar to the destination's length.
void threeSlice(const pcMemDC &dc, QPainter &p, const QRect &src, const QRect &dst, bool vertical) {
  if (vertical) {
    const int sx[3] = {src.x(), src.x() + kEdge, src.x() + src.width() - kEdge};
    const int sw[3] = {kEdge, src.width() - 2 * kEdge, kEdge};
    const int dx[3] = {dst.x(), dst.x() + kEdge, dst.x() + dst.width() - kEdge};
    const int dw[3] = {kEdge, dst.width() - 2 * kEdge, kEdge};
    for (int i = 0; i < 3; ++i)
      dc.StretchDraw(p, dx[i], dst.y(), dw[i], dst.height(), sx[i], src.y(), sw[i], src.height());
  } else {
    const int sy[3] = {src.y(), src.y() + kEdge, src.y() + src.height() - kEdge};
    const int sh[3] = {kEdge, src.height() - 2 * kEdge, kEdge};
    const int dy[3] = {dst.y(), dst.y() + kEdge, dst.y() + dst.height() - kEdge};
    const int dh[3] = {kEdge, dst.height() - 2 * kEdge, kEdge};
    for (int i = 0; i < 3; ++i)
      dc.StretchDraw(p, dst.x(), dy[i], dst.width(), dh[i], src.x(), sy[i], src.width(), sh[i]);
  }
}

pcMemDC surfaceOf(const QImage &picture) {
  pcMemDC dc;
  dc.CreateFromPicture(picture);
  return dc;
}

} // namespace

ScrollbarBitmaps ScrollbarBitmaps::fromResources(qreal ratio) {
  auto load = [ratio](const char *name) { return loadProgramImage(QLatin1String(name), ratio); };
  return {load("SCRBACKV.bmp"),   load("SCRBACKH.bmp"),   load("SCRARROWV.bmp"),  load("SCRARROWH.bmp"),
          load("SCRARROWVT.bmp"), load("SCRARROWVB.bmp"), load("SCRARROWHL.bmp"), load("SCRARROWHR.bmp"),
          load("SCRTHUMBV.bmp"),  load("SCRTHUMBH.bmp"),  load("SCRGRIPV.bmp"),   load("SCRGRIPH.bmp")};
}

cScrollbarDraw::cScrollbarDraw(qreal devicePixelRatio)
    : cScrollbarDraw(ScrollbarBitmaps::fromResources(devicePixelRatio)) {}

cScrollbarDraw::cScrollbarDraw(const ScrollbarBitmaps &b)
    : backV_(surfaceOf(b.backV)), backH_(surfaceOf(b.backH)), arrowV_(surfaceOf(b.arrowV)),
      arrowH_(surfaceOf(b.arrowH)), arrowVT_(surfaceOf(b.arrowVT)), arrowVB_(surfaceOf(b.arrowVB)),
      arrowHL_(surfaceOf(b.arrowHL)), arrowHR_(surfaceOf(b.arrowHR)), thumbV_(surfaceOf(b.thumbV)),
      thumbH_(surfaceOf(b.thumbH)), gripV_(surfaceOf(b.gripV)), gripH_(surfaceOf(b.gripH)) {}

void cScrollbarDraw::drawFirstArrow(QPainter &hdc, int orientation, int state, const QRect &r) const {
  drawArrow(hdc, orientation, state, r, orientation == kVertical ? arrowVT_ : arrowHL_);
}

void cScrollbarDraw::drawSecondArrow(QPainter &hdc, int orientation, int state, const QRect &r) const {
  drawArrow(hdc, orientation, state, r, orientation == kVertical ? arrowVB_ : arrowHR_);
}

// The button is always drawn a full 18 pixels long from its leading edge (a shorter part is
// clipped by the control), its edges across unscaled; the glyph goes on top, centred across.
void cScrollbarDraw::drawArrow(QPainter &hdc, int orientation, int state, const QRect &r,
                               const pcMemDC &glyph) const {
  const int s = 18 * state;
  if (orientation == kVertical) {
    threeSlice(arrowV_, hdc, QRect(0, s, 17, 18), QRect(r.x(), r.y(), r.width(), 18), true);
    glyph.Draw(hdc, 0, s, 17, 18, r.x() + roundHalfEven((r.width() - 17) / 2.0), r.y(), true);
  } else {
    threeSlice(arrowH_, hdc, QRect(s, 0, 18, 17), QRect(r.x(), r.y(), 18, r.height()), false);
    glyph.Draw(hdc, s, 0, 18, 17, r.x(), r.y() + roundHalfEven((r.height() - 17) / 2.0), true);
  }
}

void cScrollbarDraw::drawTrack(QPainter &hdc, int orientation, int state, const QRect &r) const {
  if (orientation == kVertical)
    threeSlice(backV_, hdc, QRect(0, 2 * state, 17, 2), r, true);
  else
    threeSlice(backH_, hdc, QRect(2 * state, 0, 2, 17), r, false);
}

// Nine-sliced with 3-pixel borders; the grip goes in the middle once the thumb is 16 pixels long.
void cScrollbarDraw::drawThumb(QPainter &hdc, int orientation, int state, const QRect &r) const {
  if (orientation == kVertical) {
    nineSlice(thumbV_, hdc, QRect(17 * state, 0, 17, 15), r);
    if (r.height() >= 16)
      gripV_.Draw(hdc, 0, 10 * state, 9, 10, r.x() + roundHalfEven((r.width() - 9) / 2.0),
                  roundHalfEven((r.height() - 10) / 2.0 + r.y()), true);
  } else {
    nineSlice(thumbH_, hdc, QRect(0, 17 * state, 15, 17), r);
    if (r.width() >= 16)
      gripH_.Draw(hdc, 0, 9 * state, 10, 9, roundHalfEven((r.width() - 10) / 2.0 + r.x()),
                  r.y() + roundHalfEven((r.height() - 9) / 2.0), true);
  }
}

} // namespace lumiqo
