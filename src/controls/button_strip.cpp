#include "controls/button_strip.h"

#include <algorithm>
#include <cmath>

namespace lumiqo {

namespace {

// (p + q) / 2 with a half going to the even neighbour.
constexpr unsigned mean(unsigned p, unsigned q) {
  const unsigned sum = p + q;
  const unsigned half = sum >> 1;
  return half + (sum & half & 1u);
}

constexpr QRgb meanColour(QRgb a, QRgb b) {
  return qRgb(static_cast<int>(mean(qRed(a), qRed(b))), static_cast<int>(mean(qGreen(a), qGreen(b))),
              static_cast<int>(mean(qBlue(a), qBlue(b))));
}

static_assert(mean(10, 11) == 10 && mean(11, 12) == 12 && mean(1, 2) == 2 && mean(2, 3) == 2);
static_assert(mean(255, 254) == 254 && mean(255, 255) == 255 && mean(0, 1) == 0);

} // namespace

int quarterRounded(int n) {
  return static_cast<int>(std::nearbyint(static_cast<double>(n) / 4.0));
}

QRect stripFrame(int width, int height, int k) {
  return QRect(quarterRounded(width * k), 0, quarterRounded(width), height);
}

StripFrames cutStrip(const QImage &strip) {
  StripFrames frames;
  for (int k = 0; k < 4; ++k) {
    frames.frame[k] = strip.copy(stripFrame(strip.width(), strip.height(), k));
    frames.frame[k].setDevicePixelRatio(strip.devicePixelRatio());
  }
  return frames;
}

QImage halfAndHalf(const QImage &a, const QImage &b) {
  const int width = std::min(a.width(), b.width());
  const int height = std::min(a.height(), b.height());
  const QImage p = a.convertToFormat(QImage::Format_RGB32);
  const QImage q = b.convertToFormat(QImage::Format_RGB32);
  QImage blend(width, height, QImage::Format_RGB32);
  if (blend.isNull() || p.isNull() || q.isNull())
    return {};
  for (int y = 0; y < height; ++y) {
    const auto *rowP = reinterpret_cast<const QRgb *>(p.constScanLine(y));
    const auto *rowQ = reinterpret_cast<const QRgb *>(q.constScanLine(y));
    auto *out = reinterpret_cast<QRgb *>(blend.scanLine(y));
    for (int x = 0; x < width; ++x)
      out[x] = meanColour(rowP[x], rowQ[x]);
  }
  blend.setDevicePixelRatio(a.devicePixelRatio());
  return blend;
}

} // namespace lumiqo
