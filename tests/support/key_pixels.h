#pragma once
// Pure red is the skinned windows' see-through key: it must never be seen.

#include <QImage>
#include <QRegion>

namespace lumiqo::test {

// The pure-red device pixels of `surface` (drawn at its device pixel ratio) whose logical
// pixel lies inside the window shape `mask`: each one would show on the screen.
inline int keyPixelsShown(const QImage &surface, const QRegion &mask) {
  const QImage pixels = surface.convertToFormat(QImage::Format_RGB32);
  const double ratio = surface.devicePixelRatio();
  int shown = 0;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x)
      if ((pixels.pixel(x, y) & 0xffffff) == 0xff0000 &&
          mask.contains(QPoint(static_cast<int>(x / ratio), static_cast<int>(y / ratio))))
        ++shown;
  return shown;
}

} // namespace lumiqo::test
