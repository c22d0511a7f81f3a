#include "lcd.h"

#include "layout.h"
#include "paint.h"

#include <QPolygonF>
#include <QTransform>
#include <cmath>

namespace skingen {
namespace {

// Segment corners inside the cell, in logical pixels; the cell is slanted like a real display.
constexpr double kLeft = 3.6, kRight = 11.6, kTop = 2.0, kMiddle = 10.5, kBottom = 19.0;
constexpr double kThick = 2.3, kGap = 0.55;

QPolygonF horizontal(double x0, double x1, double y) {
  const double h = kThick / 2;
  x0 += kGap;
  x1 -= kGap;
  return QPolygonF({{x0, y}, {x0 + h, y - h}, {x1 - h, y - h}, {x1, y}, {x1 - h, y + h}, {x0 + h, y + h}});
}

QPolygonF vertical(double x, double y0, double y1) {
  const double h = kThick / 2;
  y0 += kGap;
  y1 -= kGap;
  return QPolygonF({{x, y0}, {x + h, y0 + h}, {x + h, y1 - h}, {x, y1}, {x - h, y1 - h}, {x - h, y0 + h}});
}

// Segments a..g in the usual order.
QPolygonF segment(int index) {
  switch (index) {
  case 0: return horizontal(kLeft, kRight, kTop);
  case 1: return vertical(kRight, kTop, kMiddle);
  case 2: return vertical(kRight, kMiddle, kBottom);
  case 3: return horizontal(kLeft, kRight, kBottom);
  case 4: return vertical(kLeft, kMiddle, kBottom);
  case 5: return vertical(kLeft, kTop, kMiddle);
  default: return horizontal(kLeft, kRight, kMiddle);
  }
}

// Bit n set = segment n lit.
constexpr int kDigitSegments[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

QPainterPath segments(int mask) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  for (int i = 0; i < 7; ++i)
    if (mask & (1 << i))
      path.addPolygon(segment(i));
  return path;
}

QPainterPath colonDots() {
  QPainterPath path;
  const double d = 2.4;
  path.addRoundedRect(QRectF(7.5 - d / 2, 7.0 - d / 2, d, d), 0.6, 0.6);
  path.addRoundedRect(QRectF(7.5 - d / 2, 14.5 - d / 2, d, d), 0.6, 0.6);
  return path;
}

QTransform slant() {
  // Lean to the right around the cell's middle row.
  return QTransform().translate(0, 10.5).shear(-0.07, 0).translate(0, -10.5);
}

} // namespace

QImage lcdCell(int symbol, int scale) {
  QPainterPath ghost, lit;
  if (symbol == kColonCell) {
    ghost = lit = colonDots();
  } else {
    ghost = segments(0x7f);
    if (symbol >= 0 && symbol <= 9)
      lit = segments(kDigitSegments[symbol]);
  }
  const QImage ghostCover = coverage(layout::digit, slant().map(ghost), scale);
  const QImage litCover = coverage(layout::digit, slant().map(lit), scale);

  QImage cell = newPicture(layout::digit, scale, colour::display);
  for (int y = 0; y < cell.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(cell.scanLine(y));
    const uchar *ghostLine = ghostCover.constScanLine(y);
    const uchar *litLine = litCover.constScanLine(y);
    for (int x = 0; x < cell.width(); ++x) {
      const double g = std::lround(ghostLine[x] * 15 / 255.0) / 15.0;
      const double l = std::lround(litLine[x] * 15 / 255.0) / 15.0;
      line[x] = mix(mix(colour::display, colour::segmentGhost, g), colour::segmentLit, l).rgb();
    }
  }
  return cell;
}

} // namespace skingen
