#include "paint.h"

#include <cmath>

namespace skingen {

QColor mix(const QColor &a, const QColor &b, double t) {
  auto channel = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()),
                channel(a.alpha(), b.alpha()));
}

QColor withAlpha(QColor c, int alpha) {
  c.setAlpha(alpha);
  return c;
}

QImage newPicture(QSize size, int scale, const QColor &fill) {
  QImage image(size * scale, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

QImage newLayer(QSize size, int scale) {
  QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

Painter::Painter(QImage &image, int scale) : QPainter(&image) {
  setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
  QPainter::scale(scale, scale);
}

QImage coverage(QSize size, const QPainterPath &shape, int scale) {
  QImage mask(size * scale, QImage::Format_Alpha8);
  mask.fill(0);
  Painter p(mask, scale);
  p.fillPath(shape, Qt::black);
  return mask;
}

void keyOutside(QImage &image, const QPainterPath &shape, int scale) {
  const QImage mask = coverage(image.size() / scale, shape, scale);
  const QRgb key = colour::key.rgb();
  // A window's shape is cut in whole logical pixels: the key fills a logical pixel whole or not
  // at all, decided by the pixel's mean coverage, so that no edge pixel shares a logical pixel
  // with the key. Inside a kept logical pixel each device pixel blends by its own coverage.
  const auto keyedPixel = [&](int lx, int ly) {
    int sum = 0;
    for (int dy = 0; dy < scale; ++dy)
      for (int dx = 0; dx < scale; ++dx)
        sum += mask.constScanLine(ly * scale + dy)[lx * scale + dx];
    return sum < 64 * scale * scale;
  };
  for (int y = 0; y < image.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
    const uchar *cover = mask.constScanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      if (keyedPixel(x / scale, y / scale))
        line[x] = key;
      else if (cover[x] < 255)
        line[x] = mix(colour::edge, QColor(line[x]), cover[x] / 255.0).rgb();
    }
  }
}

QImage crop(const QImage &image, QRect logical, int scale) {
  return image.copy(QRect(logical.topLeft() * scale, logical.size() * scale));
}

QFont uiFont(double pixelSize, bool bold) {
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(int(std::lround(pixelSize)));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

QFont listFont() {
  QFont font(QStringLiteral("宋体"));
  font.setPointSize(9);
  return font;
}

void shadowedText(QPainter &p, const QRectF &box, int flags, const QString &text, const QColor &ink,
                  const QColor &shadow) {
  p.setPen(shadow);
  p.drawText(box.translated(0, 1), flags, text);
  p.setPen(ink);
  p.drawText(box, flags, text);
}

QPainterPath circle(QPointF centre, double radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

QPainterPath roundedRect(const QRectF &rect, double radius) {
  QPainterPath path;
  path.addRoundedRect(rect, radius, radius);
  return path;
}

QPainterPath triangle(QPointF a, QPointF b, QPointF c) {
  QPainterPath path;
  path.moveTo(a);
  path.lineTo(b);
  path.lineTo(c);
  path.closeSubpath();
  return path;
}

QLinearGradient verticalGradient(double top, double bottom, const QColor &a, const QColor &b) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0, a);
  g.setColorAt(1, b);
  return g;
}

} // namespace skingen
