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
  const double ratio = pixels.width() / static_cast<double>(std::max(logical.width(), 1));
  std::vector<bool> keyed(static_cast<std::size_t>(logical.width()) * logical.height());
  for (int y = 0; y < pixels.height(); ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
    const int ly = std::min(static_cast<int>(y / ratio), logical.height() - 1);
    for (int x = 0; x < pixels.width(); ++x)
      if ((line[x] & 0xffffff) == key)
        keyed[static_cast<std::size_t>(ly) * logical.width() +
              std::min(static_cast<int>(x / ratio), logical.width() - 1)] = true;
  }
  // The runs of kept pixels row by row from the left, a row like the one above it widening that
  // row's band: the order and form a region keeps its rectangles in.
  std::vector<QRect> rects;
  std::size_t bandStart = 0;
  std::vector<std::pair<int, int>> previous, runs;
  for (int y = 0; y < logical.height(); ++y) {
    const auto row = keyed.begin() + static_cast<std::ptrdiff_t>(y) * logical.width();
    runs.clear();
    for (int x = 0; x < logical.width();) {
      if (row[x]) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < logical.width() && !row[x])
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
