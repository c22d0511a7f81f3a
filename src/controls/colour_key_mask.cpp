#include "controls/colour_key_mask.h"

#include "base/colour.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace lumiqo {

QRegion colourKeyMask(const QImage &surface) {
  if (surface.isNull())
    return {};
  const QImage pixels = surface.convertToFormat(QImage::Format_RGB32);
  const QRgb key = toQColor(kColourKey).rgb() & 0xffffff;
  // A window's shape is made of whole logical pixels: one that holds the key in any of its
  // device pixels is left out whole, so that no key pixel of a twice-size surface shows.
  const QSize logical = surface.deviceIndependentSize().toSize();
  const int w = logical.width();
  // Device pixels of each logical pixel along either axis (1, or 2 at twice the size).
  const int ratio = std::max(1, pixels.width() / std::max(w, 1));
  std::vector<unsigned char> keyed(static_cast<std::size_t>(w));
  // The runs of kept pixels row by row from the left, a row like the one above it widening that
  // row's band: the order and form a region keeps its rectangles in.
  std::vector<QRect> rects;
  std::size_t bandStart = 0;
  std::vector<std::pair<int, int>> previous, runs;
  for (int y = 0; y < logical.height(); ++y) {
    std::fill(keyed.begin(), keyed.end(), 0);
    for (int dy = y * ratio; dy < std::min((y + 1) * ratio, pixels.height()); ++dy) {
      const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(dy));
      const int end = std::min(w * ratio, pixels.width());
      if (ratio == 1) {
        for (int x = 0; x < end; ++x)
          keyed[static_cast<std::size_t>(x)] |= (line[x] & 0xffffff) == key;
      } else if (ratio == 2) {
        for (int x = 0; x + 1 < end; x += 2)
          keyed[static_cast<std::size_t>(x >> 1)] |=
              ((line[x] & 0xffffff) == key) | ((line[x + 1] & 0xffffff) == key);
      } else {
        for (int x = 0; x < end; ++x)
          keyed[static_cast<std::size_t>(x / ratio)] |= (line[x] & 0xffffff) == key;
      }
    }
    runs.clear();
    for (int x = 0; x < w;) {
      if (keyed[static_cast<std::size_t>(x)]) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < w && !keyed[static_cast<std::size_t>(x)])
        ++x;
      runs.emplace_back(start, x - start);
    }
    if (y > 0 && runs == previous) {
      for (std::size_t i = bandStart; i < rects.size(); ++i)
        rects[i].setHeight(rects[i].height() + 1);
      continue;
    }
    bandStart = rects.size();
    for (const auto &[left, width] : runs)
      rects.emplace_back(left, y, width, 1);
    previous.swap(runs);
  }
  QRegion region;
  region.setRects(rects.data(), static_cast<int>(rects.size()));
  return region;
}

} // namespace lumiqo
