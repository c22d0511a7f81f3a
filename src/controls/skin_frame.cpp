#include "controls/skin_frame.h"

#include "base/colour.h"
#include "base/twips.h"

#include <QPainter>

namespace lumiqo {

std::array<FramePiece, 9> framePieces(double W, double H, double PW, double PH, const FrameCuts &c) {
  const double L = c.L, T = c.T, R = c.R, B = c.B;
  const double midW = W - PW + R - L; // the stretched column
  const double midH = H - PH + B - T; // the stretched row
  const double right = W - PW + R;    // where the right column starts
  const double bottom = H - PH + B;   // where the bottom row starts
  return {{
      {{0, 0, L, T}, {0, 0, L, T}},
      {{L, 0, midW, T}, {L, 0, R - L, T}},
      {{right, 0, PW - R, T}, {R, 0, PW - R, T}},
      {{0, T, L, midH}, {0, T, L, B - T}},
      {{right, T, PW - R, midH}, {R, T, PW - R, B - T}},
      {{0, bottom, L, PH - B}, {0, B, L, PH - B}},
      {{L, bottom, midW, PH - B}, {L, B, R - L, PH - B}},
      {{right, bottom, PW - R, PH - B}, {R, B, PW - R, PH - B}},
      {{L, T, midW, midH}, {L, T, R - L, B - T}},
  }};
}

QImage paintSkinFrame(const QImage &bitmap, QSize size, const FrameCuts &cuts) {
  const qreal ratio = bitmap.isNull() ? 1.0 : bitmap.devicePixelRatio();
  QImage surface((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
  if (surface.isNull())
    return surface;
  surface.setDevicePixelRatio(ratio);
  surface.fill(toQColor(kColourKey)); // whatever no piece covers stays see-through
  if (bitmap.isNull())
    return surface;
  const QSizeF plain = bitmap.deviceIndependentSize();
  constexpr double kTwips = kTwipsPerPixel;
  QPainter painter(&surface);
  for (const FramePiece &piece : framePieces(size.width() * kTwips, size.height() * kTwips,
                                             plain.width() * kTwips, plain.height() * kTwips, cuts)) {
    if (piece.destination.isEmpty() || piece.source.isEmpty())
      continue;
    const QRectF to(piece.destination.topLeft() / kTwips, piece.destination.size() / kTwips);
    const QRectF from(piece.source.topLeft() * ratio / kTwips, piece.source.size() * ratio / kTwips);
    painter.drawImage(to, bitmap, from);
  }
  return surface;
}

} // namespace lumiqo
