#pragma once
// A skinned window's background: its bitmap cut into nine pieces at two columns and two rows,
// painted at any window size from the bitmap's own size upward. The corners keep their size;
// the pieces between them stretch (the lyrics and playlist windows cut a middle column and row
// of one pixel). Positions are twips, as the windows' layouts give them.

#include <QImage>
#include <QRectF>
#include <QSize>
#include <array>

namespace lumiqo {

struct FrameCuts {
  float L = 750; // left cut: the columns [0, L), [L, R), [R, PW)
  float T = 750; // top cut: the rows [0, T), [T, B), [B, PH)
  float R = 765;
  float B = 765;
};

struct FramePiece {
  QRectF destination; // in the window, twips
  QRectF source;      // in the bitmap, twips
};

// The nine pieces for a window W x H twips and a bitmap PW x PH twips, in painting order:
// top-left, top, top-right, left, right, bottom-left, bottom, bottom-right, centre.
std::array<FramePiece, 9> framePieces(double W, double H, double PW, double PH, const FrameCuts &cuts);

// The window's surface at `size` (pixels) painted from `bitmap`: at the bitmap's device pixel
// ratio, pieces stretched without smoothing, so pure red stays pure red.
QImage paintSkinFrame(const QImage &bitmap, QSize size, const FrameCuts &cuts);

} // namespace lumiqo
