#include "controls/skin_picture.h"

#include "base/regular_file.h"

#include <QBuffer>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>

namespace lumiqo {
namespace {

std::uint32_t le(const QByteArray &d, qsizetype at, int size) {
  std::uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i)
    v = (v << 8) | static_cast<std::uint8_t>(d[at + i]);
  return v;
}

// Whether a BMP holds every byte its headers announce: the pixel rows of an uncompressed
// picture, the announced data of a compressed one.
bool bmpIsWhole(const QByteArray &d) {
  if (d.size() < 18)
    return false;
  const qint64 offBits = le(d, 10, 4);
  const qint64 headerSize = le(d, 14, 4);
  if (d.size() < 14 + headerSize)
    return false;
  qint64 width = 0, height = 0, bits = 0, compression = 0, imageSize = 0;
  if (headerSize == 12) { // the old core header
    width = le(d, 18, 2);
    height = le(d, 20, 2);
    bits = le(d, 24, 2);
  } else if (headerSize >= 40) {
    width = static_cast<std::int32_t>(le(d, 18, 4));
    height = std::abs(static_cast<qint64>(static_cast<std::int32_t>(le(d, 22, 4))));
    bits = le(d, 28, 2);
    compression = le(d, 30, 4);
    imageSize = le(d, 34, 4);
  } else {
    return false;
  }
  if (offBits < 14 + headerSize || width <= 0 || bits <= 0)
    return false;
  constexpr qint64 kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
  if (compression == kRgb || compression == kBitFields || compression == kAlphaBitFields) {
    const qint64 stride = (width * bits + 31) / 32 * 4;
    return d.size() >= offBits + stride * height;
  }
  if (compression == kRle8 || compression == kRle4)
    return d.size() >= offBits + std::max<qint64>(imageSize, 2);
  return true; // a kind the decoder judges itself
}

// Whether a GIF's blocks all lie within its bytes, up to its trailer, with an image among them.
bool gifIsWhole(const QByteArray &d) {
  qsizetype at = 13; // signature and logical screen descriptor
  if (d.size() < at)
    return false;
  const auto colourTable = [](std::uint8_t packed) -> qsizetype {
    return (packed & 0x80) ? 3 * (qsizetype{2} << (packed & 7)) : 0;
  };
  at += colourTable(static_cast<std::uint8_t>(d[10]));
  // Sub-blocks: a length byte, that many bytes, until a length of 0.
  const auto skipSubBlocks = [&]() {
    while (at < d.size()) {
      const auto length = static_cast<std::uint8_t>(d[at++]);
      if (length == 0)
        return true;
      at += length;
    }
    return false;
  };
  bool image = false;
  while (at < d.size()) {
    switch (static_cast<std::uint8_t>(d[at++])) {
    case 0x21: // extension: its label, then its sub-blocks
      if (++at > d.size() || !skipSubBlocks())
        return false;
      break;
    case 0x2C: // image: descriptor, local colour table, code size, data sub-blocks
    {
      if (at + 9 > d.size())
        return false;
      const auto packed = static_cast<std::uint8_t>(d[at + 8]);
      at += 9 + colourTable(packed);
      if (++at > d.size() || !skipSubBlocks())
        return false;
      image = true;
      break;
    }
    case 0x3B: return image; // the trailer
    default: return false;
    }
  }
  return false;
}

} // namespace

QImage decodeWholePicture(const QByteArray &bytes) {
  if (bytes.startsWith("BM") && !bmpIsWhole(bytes))
    return {};
  if ((bytes.startsWith("GIF87a") || bytes.startsWith("GIF89a")) && !gifIsWhole(bytes))
    return {};
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  QImage image;
  return reader.read(&image) ? image : QImage();
}

QImage readSkinPicture(const QString &path) {
  const std::optional<QByteArray> bytes = readRegularFile(path, kMaxSkinPictureBytes);
  return bytes ? decodeWholePicture(*bytes) : QImage();
}

} // namespace lumiqo
