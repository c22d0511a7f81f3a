#pragma once
// The see-through parts of a skinned window: every pixel of its painted surface that holds the
// colour key, pure red, is left out of the window's shape.

#include <QImage>
#include <QRegion>

namespace lumiqo {

// The logical pixels of `surface` that are not pure red, for QWidget::setMask. Of a surface
// drawn at a device pixel ratio above 1, a logical pixel is left out when any of its device
// pixels is pure red: a window's shape cannot cut a logical pixel in parts.
QRegion colourKeyMask(const QImage &surface);

} // namespace lumiqo
