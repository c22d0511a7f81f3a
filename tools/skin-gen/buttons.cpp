#include "buttons.h"

#include "paint.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

namespace skingen {
namespace {

struct Look {
  double radius;    // of the button's body
  double glyphSize; // of its glyph
  double glow;      // how far the hover glow reaches: never past the frame's edge, so no seam shows
};

Look lookFor(QRect rect, Glyph glyph) {
  const double half = rect.width() / 2.0;
  if (glyph == Glyph::Play || glyph == Glyph::Pause)
    return {half - 7.5, 24, half - 0.5};
  if (rect.width() <= 13)
    return {half - 2.0, 5.0, half - 0.5};
  return {half - 2.5, 9.5, half - 0.5};
}

void fillRounded(QPainter &p, const QPainterPath &path, const QColor &ink, double round) {
  // A thin stroke in the same colour softens the corners of sharp shapes.
  p.setPen(QPen(ink, round, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(ink);
  p.drawPath(path);
}

void drawBody(QPainter &p, QPointF c, const Look &look, int state) {
  const double r = look.radius;
  const bool big = r > 20;
  if (state == 1) { // warm glow around the rim
    QRadialGradient glow(c, look.glow);
    glow.setColorAt(r / look.glow - 0.02, withAlpha(colour::gold, 150));
    glow.setColorAt(1, withAlpha(colour::gold, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, look.glow, look.glow);
  }
  if (state != 2) { // drop shadow, kept inside the frame like the glow
    const double drop = big ? 0.8 : 0.6;
    const double spread = std::min(r + 0.6, look.glow - 0.5 - drop);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(c + QPointF(0, drop), spread, spread);
  }

  QLinearGradient fill(c.x(), c.y() - r, c.x(), c.y() + r);
  switch (state) {
  case 1:
    fill.setColorAt(0, QColor(104, 102, 98));
    fill.setColorAt(1, QColor(46, 45, 46));
    break;
  case 2:
    fill.setColorAt(0, QColor(24, 23, 24));
    fill.setColorAt(1, QColor(58, 57, 58));
    break;
  default: fill.setColorAt(0, QColor(88, 87, 88)); fill.setColorAt(1, QColor(38, 37, 38));
  }
  p.setPen(Qt::NoPen);
  p.setBrush(fill);
  p.drawEllipse(c, r, r);

  // Light catches the upper rim of a raised button, shadow the upper rim of a pressed one.
  QLinearGradient rim(c.x(), c.y() - r, c.x(), c.y() + r * 0.2);
  rim.setColorAt(0, state == 2 ? QColor(0, 0, 0, 150) : QColor(255, 255, 255, 80));
  rim.setColorAt(1, QColor(255, 255, 255, 0));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(rim), big ? 1.5 : 1.0));
  p.drawEllipse(c, r - (big ? 1.6 : 1.1), r - (big ? 1.6 : 1.1));

  QColor edge = QColor(10, 10, 10, 230);
  double edgeWidth = 1.0;
  if (state == 1) {
    edge = colour::gold;
    edgeWidth = big ? 1.8 : 1.2;
  } else if (state == 2) {
    edge = colour::goldDark;
  }
  p.setPen(QPen(edge, edgeWidth));
  p.drawEllipse(c, r - edgeWidth / 2, r - edgeWidth / 2);
  if (state == 3) { // the rim fades after the pointer has gone
    const double pen = big ? 1.4 : 1.0;
    const double halo = std::min(r + (big ? 1.4 : 0.9), look.glow - 0.5 - pen / 2);
    p.setPen(QPen(withAlpha(colour::gold, 90), pen));
    p.drawEllipse(c, halo, halo);
  }
}

QColor glyphInk(int state) {
  switch (state) {
  case 1: return colour::goldLight;
  case 2: return colour::gold;
  case 3: return QColor(240, 228, 196);
  default: return QColor(226, 222, 208);
  }
}

void drawFrame(QPainter &p, QRect rect, Glyph glyph, int state) {
  const Look look = lookFor(rect, glyph);
  const QPointF c(rect.width() / 2.0, rect.height() / 2.0);
  drawBody(p, c, look, state);
  const QPointF shift = state == 2 ? QPointF(1, 1) : QPointF(0, 0);
  if (state != 2)
    drawGlyph(p, glyph, c + QPointF(0, look.glyphSize > 20 ? 1.2 : 0.8), look.glyphSize,
              QColor(0, 0, 0, 150));
  drawGlyph(p, glyph, c + shift, look.glyphSize, glyphInk(state));
}

} // namespace

void drawGlyph(QPainter &p, Glyph glyph, QPointF c, double s, const QColor &ink) {
  p.save();
  p.translate(c);
  p.scale(s, s);
  const double round = 0.09;
  switch (glyph) {
  case Glyph::Play: fillRounded(p, triangle({-0.32, -0.5}, {0.56, 0}, {-0.32, 0.5}), ink, round); break;
  case Glyph::Pause: {
    QPainterPath bars;
    bars.addRoundedRect(QRectF(-0.42, -0.48, 0.3, 0.96), 0.06, 0.06);
    bars.addRoundedRect(QRectF(0.12, -0.48, 0.3, 0.96), 0.06, 0.06);
    fillRounded(p, bars, ink, 0.02);
    break;
  }
  case Glyph::Stop: fillRounded(p, roundedRect(QRectF(-0.4, -0.4, 0.8, 0.8), 0.1), ink, 0.02); break;
  case Glyph::Next:
  case Glyph::Prev: {
    if (glyph == Glyph::Prev)
      p.scale(-1, 1);
    QPainterPath path = triangle({-0.56, -0.42}, {-0.08, 0}, {-0.56, 0.42});
    path.addPath(triangle({-0.1, -0.42}, {0.38, 0}, {-0.1, 0.42}));
    path.addRect(QRectF(0.4, -0.42, 0.16, 0.84));
    fillRounded(p, path, ink, round);
    break;
  }
  case Glyph::Lyric: {
    QFont font = uiFont(12, true);
    font.setPixelSize(12);
    p.scale(1 / 12.0, 1 / 12.0);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(-8, -8.5, 16, 16), Qt::AlignCenter, QStringLiteral("词"));
    break;
  }
  case Glyph::Playlist:
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (double y : {-0.36, 0.0, 0.36}) {
      p.drawEllipse(QPointF(-0.42, y), 0.1, 0.1);
      p.drawRoundedRect(QRectF(-0.2, y - 0.075, 0.7, 0.15), 0.05, 0.05);
    }
    break;
  case Glyph::Close:
    p.setPen(QPen(ink, 0.26, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-0.42, -0.42), QPointF(0.42, 0.42));
    p.drawLine(QPointF(-0.42, 0.42), QPointF(0.42, -0.42));
    break;
  case Glyph::Minimize:
    p.setPen(QPen(ink, 0.28, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(-0.45, 0.05), QPointF(0.45, 0.05));
    break;
  }
  p.restore();
}

QImage buttonStrip(const QImage &background, QRect rect, Glyph glyph, int scale) {
  const QImage behind = crop(background, rect, scale);
  QImage strip(behind.width() * 4, behind.height(), QImage::Format_RGB32);
  {
    QPainter copy(&strip);
    for (int state = 0; state < 4; ++state)
      copy.drawImage(behind.width() * state, 0, behind);
  }
  Painter p(strip, scale);
  for (int state = 0; state < 4; ++state) {
    p.save();
    p.translate(rect.width() * state, 0);
    p.setClipRect(QRectF(0, 0, rect.width(), rect.height()));
    drawFrame(p, rect, glyph, state);
    p.restore();
  }
  return strip;
}

void placeNormalFrame(QImage &picture, const QImage &strip, QRect rect, int scale) {
  QPainter p(&picture);
  p.drawImage(rect.topLeft() * scale, strip, QRect(0, 0, rect.width() * scale, rect.height() * scale));
}

} // namespace skingen
