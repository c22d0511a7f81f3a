#pragma once
// Icon files built in memory for the tests: one image of 32 bits per pixel with alpha, as
// the play-row icon is stored (a 40-byte header, the colour rows bottom-up, the 1-bit mask).

#include <QByteArray>
#include <QImage>
#include <QtEndian>

namespace lumiqo::test {

inline void putLe(QByteArray &b, quint32 v, int bytes) {
  for (int i = 0; i < bytes; ++i)
    b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The image data of one 32-bit entry: the picture's pixels as stored (alpha kept).
inline QByteArray dib32(const QImage &picture) {
  const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
  const int w = argb.width();
  const int h = argb.height();
  QByteArray b;
  putLe(b, 40, 4);
  putLe(b, static_cast<quint32>(w), 4);
  putLe(b, static_cast<quint32>(2 * h), 4);
  putLe(b, 1, 2);
  putLe(b, 32, 2);
  for (int i = 0; i < 6; ++i)
    putLe(b, 0, 4);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) {
      const QRgb c = argb.pixel(x, y);
      b.append(static_cast<char>(qBlue(c)));
      b.append(static_cast<char>(qGreen(c)));
      b.append(static_cast<char>(qRed(c)));
      b.append(static_cast<char>(qAlpha(c)));
    }
  const int maskStride = (w + 31) / 32 * 4;
  b.append(QByteArray(maskStride * h, '\0'));
  return b;
}

// A whole icon file holding the given images' data, each with the given directory size.
inline QByteArray icoFile(const QList<QByteArray> &images, int width, int height, int bitCount = 32) {
  QByteArray f;
  putLe(f, 0, 2);
  putLe(f, 1, 2);
  putLe(f, static_cast<quint32>(images.size()), 2);
  quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
  for (const QByteArray &image : images) {
    f.append(static_cast<char>(width & 0xFF));
    f.append(static_cast<char>(height & 0xFF));
    f.append('\0');
    f.append('\0');
    putLe(f, 1, 2);
    putLe(f, static_cast<quint32>(bitCount), 2);
    putLe(f, static_cast<quint32>(image.size()), 4);
    putLe(f, offset, 4);
    offset += static_cast<quint32>(image.size());
  }
  for (const QByteArray &image : images)
    f.append(image);
  return f;
}

// A 12 x 12 icon: a solid square of `colour` with a transparent one-pixel margin.
inline QByteArray squareIcon(QRgb colour) {
  QImage picture(12, 12, QImage::Format_ARGB32);
  picture.fill(Qt::transparent);
  for (int y = 1; y < 11; ++y)
    for (int x = 1; x < 11; ++x)
      picture.setPixel(x, y, colour);
  return icoFile({dib32(picture)}, 12, 12);
}

} // namespace lumiqo::test
