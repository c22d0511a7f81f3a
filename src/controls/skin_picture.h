#pragma once
// A picture file of the skin, read whole or not at all. The skin folder is the user's: a file
// there may be cut short, broken, or not a file at all. A BMP's pixel rows and a GIF's blocks
// are checked against the bytes that are there, so a cut picture is refused instead of drawn
// as stripes of whatever memory held or as a half-blank digit.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace lumiqo {

// The largest skin picture file read.
inline constexpr qint64 kMaxSkinPictureBytes = 32 * 1024 * 1024;

// The picture in `bytes`, or a null image unless it decodes whole.
QImage decodeWholePicture(const QByteArray &bytes);

// The picture of the file at `path` (a regular file only, opened without blocking), or a null
// image when it is missing, not a regular file, too long, or not whole.
QImage readSkinPicture(const QString &path);

} // namespace lumiqo
