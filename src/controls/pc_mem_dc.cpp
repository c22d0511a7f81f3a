#include "controls/pc_mem_dc.h"

#include "base/colour.h"

#include <QPainter>

#include <cmath>

namespace lumiqo {
namespace {

constexpr QRgb kKey = qRgb(redOf(kMagentaKey), greenOf(kMagentaKey), blueOf(kMagentaKey));

// Logical to surface pixels.
QRectF scaled(int x, int y, int w, int h, qreal ratio) {
  return QRectF(x * ratio, y * ratio, w * ratio, h * ratio);
}

} // namespace

void pcMemDC::setWidth(int value) {
  if (value > width_)
    recreate(value, height_);
}

void pcMemDC::setHeight(int value) {
  if (value > height_)
    recreate(width_, value);
}

void pcMemDC::recreate(int width, int height) {
  const qint64 w = static_cast<qint64>(std::ceil(width * ratio_));
  const qint64 h = static_cast<qint64>(std::ceil(height * ratio_));
  QImage surface;
  if (w > 0 && h > 0) {
    surface = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_RGB32);
    if (surface.isNull()) { // out of memory: no surface at all
      surface_ = QImage();
      width_ = height_ = 0;
      return;
    }
    surface.fill(Qt::black);
    surface.setDevicePixelRatio(ratio_);
  }
  surface_ = surface;
  width_ = width;
  height_ = height;
}

void pcMemDC::CreateFromPicture(const QImage &sPic) {
  if (sPic.isNull())
    return;
  if (sPic.devicePixelRatio() != ratio_) {
    ratio_ = sPic.devicePixelRatio();
    surface_ = QImage();
    width_ = height_ = 0;
  }
  const QSizeF size = sPic.deviceIndependentSize();
  setWidth(static_cast<int>(std::ceil(size.width())));
  setHeight(static_cast<int>(std::ceil(size.height())));
  if (surface_.isNull())
    return;
  QPainter p(&surface_);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(QPointF(0, 0), sPic);
}

void pcMemDC::Draw(QPainter &hdc, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst, int yDst,
                   bool UseMask) const {
  if (surface_.isNull())
    return;
  const int w = WidthSrc < 1 ? width_ : WidthSrc;
  const int h = HeightSrc < 1 ? height_ : HeightSrc;
  const QRectF target(xDst, yDst, w, h);
  const QRectF source = scaled(xSrc, ySrc, w, h, ratio_);
  if (UseMask) {
    hdc.drawImage(target, keyed(), source);
  } else {
    const QPainter::CompositionMode mode = hdc.compositionMode();
    hdc.setCompositionMode(QPainter::CompositionMode_Source);
    hdc.drawImage(target, surface_, source);
    hdc.setCompositionMode(mode);
  }
}

void pcMemDC::StretchDraw(QPainter &hdc, int xDst, int yDst, int WidthDst, int HeightDst, int xSrc, int ySrc,
                          int WidthSrc, int HeightSrc) const {
  if (surface_.isNull() || WidthDst < 1 || HeightDst < 1)
    return;
  const int w = WidthSrc < 1 ? width_ : WidthSrc;
  const int h = HeightSrc < 1 ? height_ : HeightSrc;
  hdc.save();
  hdc.setRenderHint(QPainter::SmoothPixmapTransform, false);
  hdc.setCompositionMode(QPainter::CompositionMode_Source);
  hdc.drawImage(QRectF(xDst, yDst, WidthDst, HeightDst), surface_, scaled(xSrc, ySrc, w, h, ratio_));
  hdc.restore();
}

const QImage &pcMemDC::keyed() const {
  if (keyed_.isNull() || keyedFrom_ != surface_.cacheKey()) {
    QImage image(surface_.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < surface_.height(); ++y) {
      const QRgb *in = reinterpret_cast<const QRgb *>(surface_.constScanLine(y));
      QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
      for (int x = 0; x < surface_.width(); ++x) {
        const QRgb rgb = in[x] | 0xFF000000u;
        out[x] = rgb == kKey ? 0u : rgb;
      }
    }
    image.setDevicePixelRatio(ratio_);
    keyed_ = image;
    keyedFrom_ = surface_.cacheKey();
  }
  return keyed_;
}

} // namespace lumiqo
