#include "controls/colour_key_mask.h"

#include "base/colour.h"

#include <QBitmap>

namespace lumiqo {

QRegion colourKeyMask(const QImage &surface) {
  if (surface.isNull())
    return {};
  const QSize logical = surface.deviceIndependentSize().toSize();
  const QImage sampled =
      (surface.size() == logical ? surface
                                 : surface.scaled(logical, Qt::IgnoreAspectRatio, Qt::FastTransformation))
          .convertToFormat(QImage::Format_RGB32);
  // Qt's mask image marks the key-coloured pixels, and the region built from it leaves them out.
  return QRegion(
      QBitmap::fromImage(sampled.createMaskFromColor(toQColor(kColourKey).rgb(), Qt::MaskInColor)));
}

} // namespace lumiqo
