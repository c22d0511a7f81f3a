#pragma once
// The scroll bar's twelve pictures: light, flat parts that sit at the right of the white list.
// Pictures drawn with transparency (the arrow glyphs and the grips) are pure magenta where the
// part below shows; their edges are smoothed against the very part they are drawn on, so no
// pixel is ever blended towards magenta.

#include <QImage>
#include <QList>
#include <QString>

namespace skingen {

struct NamedPicture {
  QString name; // resource name without extension
  QImage image;
};

QList<NamedPicture> scrollBarPictures(int scale);

} // namespace skingen
