#include "image_files.h"

#include <QFile>
#include <QHash>
#include <gif_lib.h>
#include <memory>
#include <stdexcept>

namespace skingen {
namespace {

void put16(QByteArray &out, int value) {
  out.append(char(value & 0xff));
  out.append(char((value >> 8) & 0xff));
}

void put32(QByteArray &out, qint64 value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.append(char((value >> shift) & 0xff));
}

void putInfoHeader(QByteArray &out, int width, int height, int bits, int imageBytes) {
  put32(out, 40);
  put32(out, width);
  put32(out, height);
  put16(out, 1);
  put16(out, bits);
  put32(out, 0); // no compression
  put32(out, imageBytes);
  put32(out, 2835); // 72 dots per inch
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
}

int paddedRow(int bytes) {
  return (bytes + 3) & ~3;
}

int gifWrite(GifFileType *file, const GifByteType *data, int length) {
  static_cast<QByteArray *>(file->UserData)->append(reinterpret_cast<const char *>(data), length);
  return length;
}

struct GifCloser {
  void operator()(GifFileType *file) const { EGifCloseFile(file, nullptr); }
};
struct MapFreer {
  void operator()(ColorMapObject *map) const { GifFreeMapObject(map); }
};

} // namespace

QByteArray bmp24(const QImage &source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  const int row = paddedRow(image.width() * 3);
  const int imageBytes = row * image.height();
  QByteArray out;
  out.reserve(54 + imageBytes);
  out.append("BM");
  put32(out, 54 + imageBytes);
  put32(out, 0);
  put32(out, 54);
  putInfoHeader(out, image.width(), image.height(), 24, imageBytes);
  for (int y = image.height() - 1; y >= 0; --y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      out.append(char(qBlue(line[x])));
      out.append(char(qGreen(line[x])));
      out.append(char(qRed(line[x])));
    }
    out.append(QByteArray(row - image.width() * 3, '\0'));
  }
  return out;
}

QByteArray gif(const QImage &source) {
  const QImage image = source.convertToFormat(QImage::Format_RGB32);
  QList<QRgb> colours;
  QHash<QRgb, int> index;
  QByteArray pixels;
  pixels.reserve(image.width() * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb colour = line[x] | 0xff000000u;
      auto found = index.constFind(colour);
      if (found == index.constEnd()) {
        if (colours.size() == 256)
          throw std::runtime_error("GIF picture has more than 256 colours");
        found = index.insert(colour, int(colours.size()));
        colours.append(colour);
      }
      pixels.append(char(*found));
    }
  }
  int mapSize = 2;
  while (mapSize < colours.size())
    mapSize *= 2;
  std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(mapSize, nullptr));
  if (!map)
    throw std::runtime_error("GIF palette could not be made");
  for (int i = 0; i < mapSize; ++i) {
    const QRgb colour = i < colours.size() ? colours[i] : 0;
    map->Colors[i] =
        GifColorType{GifByteType(qRed(colour)), GifByteType(qGreen(colour)), GifByteType(qBlue(colour))};
  }

  QByteArray out;
  int error = 0;
  {
    std::unique_ptr<GifFileType, GifCloser> file(EGifOpen(&out, gifWrite, &error));
    if (!file)
      throw std::runtime_error("GIF writer could not start");
    bool ok = EGifPutScreenDesc(file.get(), image.width(), image.height(), map->BitsPerPixel, 0, map.get()) ==
                  GIF_OK &&
              EGifPutImageDesc(file.get(), 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height(); ++y)
      ok = EGifPutLine(file.get(), reinterpret_cast<GifPixelType *>(pixels.data() + y * image.width()),
                       image.width()) == GIF_OK;
    if (!ok)
      throw std::runtime_error("GIF picture could not be encoded");
    // Closing writes the trailer.
    if (EGifCloseFile(file.release(), &error) != GIF_OK)
      throw std::runtime_error("GIF picture could not be finished");
  }
  return out;
}

QByteArray iconImageData(const QImage &source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  const int w = image.width();
  const int h = image.height();
  const int maskRow = paddedRow((w + 7) / 8);
  QByteArray out;
  putInfoHeader(out, w, h * 2, 32, w * h * 4 + maskRow * h);
  for (int y = h - 1; y >= 0; --y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      out.append(char(qBlue(line[x])));
      out.append(char(qGreen(line[x])));
      out.append(char(qRed(line[x])));
      out.append(char(qAlpha(line[x])));
    }
  }
  for (int y = h - 1; y >= 0; --y) {
    const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
    QByteArray bits(maskRow, '\0');
    for (int x = 0; x < w; ++x)
      if (qAlpha(line[x]) == 0)
        bits[x / 8] = char(bits[x / 8] | (0x80 >> (x % 8)));
    out.append(bits);
  }
  return out;
}

QByteArray icoFile(const QList<QImage> &images) {
  QByteArray out;
  put16(out, 0);
  put16(out, 1);
  put16(out, int(images.size()));
  QList<QByteArray> data;
  for (const QImage &image : images)
    data.append(iconImageData(image));
  qint64 offset = 6 + 16 * images.size();
  for (int i = 0; i < images.size(); ++i) {
    const QImage &image = images[i];
    if (image.width() > 256 || image.height() > 256)
      throw std::runtime_error("icon images are at most 256 pixels");
    out.append(char(image.width() & 0xff)); // 256 is stored as 0
    out.append(char(image.height() & 0xff));
    out.append(char(0)); // no palette
    out.append(char(0));
    put16(out, 1);
    put16(out, 32);
    put32(out, data[i].size());
    put32(out, offset);
    offset += data[i].size();
  }
  for (const QByteArray &bytes : data)
    out.append(bytes);
  return out;
}

void writeFile(const QString &path, const QByteArray &bytes) {
  // No flush to disk per file: a build that breaks off simply draws the skin again.
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() ||
      !file.flush())
    throw std::runtime_error(("cannot write " + path).toStdString());
}

} // namespace skingen
