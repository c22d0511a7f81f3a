#include "icons.h"

#include "paint.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace skingen {

QImage playIcon(int scale) {
  QImage image = newLayer(QSize(12, 12), scale);
  Painter p(image, scale);
  const QPainterPath arrow = triangle({2.5, 1.5}, {10.8, 6}, {2.5, 10.5});
  const QLinearGradient fill = verticalGradient(1.5, 10.5, QColor(150, 226, 92), QColor(62, 156, 14));
  p.setPen(QPen(QColor(34, 100, 8), 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(fill);
  p.drawPath(arrow);
  return image;
}

QImage appMark(int pixels) {
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHints(QPainter::Antialiasing);
  p.scale(pixels / 64.0, pixels / 64.0);
  const QPointF c(32, 32);
  // The disc, lit from above, with a gold ring.
  p.setPen(Qt::NoPen);
  const QLinearGradient disc = verticalGradient(1, 63, QColor(92, 91, 92), QColor(24, 23, 24));
  p.setBrush(QColor(10, 10, 10));
  p.drawEllipse(c, 31.5, 31.5);
  p.setBrush(disc);
  p.drawEllipse(c, 30, 30);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(colour::gold, pixels >= 32 ? 2.4 : 3.6));
  p.drawEllipse(c, 26.5, 26.5);
  // The play triangle.
  const QPainterPath arrow = triangle({24, 16.5}, {47.5, 32}, {24, 47.5});
  const QLinearGradient ink = verticalGradient(16, 48, colour::goldLight, QColor(196, 160, 48));
  p.setPen(QPen(QBrush(ink), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(ink);
  p.drawPath(arrow);
  return image;
}

QImage handCursor(int scale) {
  QImage image = newLayer(QSize(32, 32), scale);
  Painter p(image, scale);
  // The white inside of the hand on whole pixels, so the outline drawn around it is crisp; the
  // fingers stand one pixel apart, and the outline fills those gaps as creases.
  QPainterPath hand;
  hand.setFillRule(Qt::WindingFill);
  hand.addRoundedRect(QRectF(4, 1, 4, 14), 2, 2);    // pointing finger, its tip the hot spot
  hand.addRoundedRect(QRectF(9, 7, 3, 8), 1.5, 1.5); // three curled fingers
  hand.addRoundedRect(QRectF(13, 8, 3, 7), 1.5, 1.5);
  hand.addRoundedRect(QRectF(17, 10, 3, 6), 1.5, 1.5);
  QPainterPath palm;
  palm.moveTo(4, 13);
  palm.lineTo(20, 13);
  palm.lineTo(20, 18);
  palm.lineTo(17, 22);
  palm.lineTo(8, 22);
  palm.lineTo(4, 18);
  palm.closeSubpath();
  hand.addPath(palm);
  QPainterPath thumb;
  thumb.moveTo(5, 19);
  thumb.cubicTo(3, 17.5, 1, 15.5, 1, 14);
  thumb.cubicTo(1, 12.4, 3, 12.6, 4.5, 14);
  thumb.closeSubpath();
  hand.addPath(thumb);
  hand = hand.simplified();
  p.setPen(QPen(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(hand);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawPath(hand);
  return image;
}

} // namespace skingen
