#pragma once
// The picture of one image of an icon file: a device-independent bitmap (header, colour
// table, colour bits and the 1-bit mask, rows bottom-up, the header's height counting both)
// or a PNG stream. Nothing outside the given bytes is ever read.

#include <QByteArrayView>
#include <QImage>

namespace lumiqo {

// The largest side accepted, in pixels.
inline constexpr int kMaxIconSide = 1024;

// A premultiplied ARGB picture, or a null image when the data is not a complete icon image
// of a supported kind (1, 4, 8, 24 or 32 bits per pixel, uncompressed; or PNG).
QImage decodeIconImage(QByteArrayView data);

} // namespace lumiqo
