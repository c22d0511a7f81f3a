#pragma once
// Writers for the file formats the player reads: 24-bit BMP, GIF with an exact palette, and
// icon files of 32-bit images with alpha. Each throws std::runtime_error when it cannot write.

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

namespace skingen {

// An uncompressed 24-bit BMP (BITMAPINFOHEADER, rows bottom-up, padded to 4 bytes).
QByteArray bmp24(const QImage &image);

// A single-frame GIF whose palette holds every colour of the image exactly; an image of more
// than 256 colours is refused rather than dithered.
QByteArray gif(const QImage &image);

// One icon image as stored in an icon file: BITMAPINFOHEADER with doubled height, BGRA rows
// bottom-up, then the AND mask (1 where the pixel is fully transparent), rows padded to 4 bytes.
QByteArray iconImageData(const QImage &image);

// An icon file holding `images` in the given order, each as iconImageData.
QByteArray icoFile(const QList<QImage> &images);

void writeFile(const QString &path, const QByteArray &bytes);

} // namespace skingen
