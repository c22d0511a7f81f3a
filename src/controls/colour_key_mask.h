#pragma once
// The see-through parts of a skinned window: every pixel of its painted surface that holds the
// colour key, pure red, is left out of the window's shape.

#include <QImage>
#include <QRegion>

namespace lumiqo {

// The logical pixels of `surface` that are not pure red, for QWidget::setMask. A surface drawn
// at a device pixel ratio above 1 is sampled at the top-left pixel of each logical pixel.
QRegion colourKeyMask(const QImage &surface);

} // namespace lumiqo
