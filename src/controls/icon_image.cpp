#include "controls/icon_image.h"

#include <cstdint>
#include <cstring>

namespace lumiqo {
namespace {

std::uint32_t u32(QByteArrayView d, qsizetype at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<std::uint8_t>(d[at + i]);
  return v;
}

std::uint16_t u16(QByteArrayView d, qsizetype at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(d[at]) |
                                    (static_cast<std::uint8_t>(d[at + 1]) << 8));
}

bool isPng(QByteArrayView d) {
  static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
  return d.size() >= 8 && std::memcmp(d.data(), kSignature, 8) == 0;
}

// The value of pixel x of a row of `bpp`-bit palette indexes.
unsigned paletteIndex(const std::uint8_t *row, int x, int bpp) {
  const int bit = x * bpp;
  const unsigned byte = row[bit / 8];
  const int shift = 8 - bpp - bit % 8;
  return (byte >> shift) & ((1u << bpp) - 1);
}

} // namespace

QImage decodeIconImage(QByteArrayView data) {
  if (isPng(data)) {
    const QImage png = QImage::fromData(data, "PNG");
    if (png.isNull() || png.width() > kMaxIconSide || png.height() > kMaxIconSide)
      return {};
    return png.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  }

  constexpr qsizetype kInfoHeader = 40;
  if (data.size() < kInfoHeader)
    return {};
  const qint64 headerSize = u32(data, 0);
  const qint64 width = static_cast<std::int32_t>(u32(data, 4));
  const qint64 doubleHeight = static_cast<std::int32_t>(u32(data, 8));
  const int bpp = u16(data, 14);
  const std::uint32_t compression = u32(data, 16);
  const qint64 colorsUsed = u32(data, 32);
  const qint64 height = doubleHeight / 2;
  if (headerSize < kInfoHeader || headerSize > data.size() || compression != 0)
    return {};
  if (width < 1 || width > kMaxIconSide || height < 1 || height > kMaxIconSide)
    return {};
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)
    return {};

  const qint64 paletteSize = bpp <= 8 ? (colorsUsed != 0 ? colorsUsed : (qint64{1} << bpp)) : 0;
  if (paletteSize > 256)
    return {};
  const qint64 colourStride = (width * bpp + 31) / 32 * 4;
  const qint64 maskStride = (width + 31) / 32 * 4;
  const qint64 colourAt = headerSize + paletteSize * 4;
  const qint64 maskAt = colourAt + colourStride * height;
  if (maskAt > data.size())
    return {};
  // The mask is used only when all of it is there.
  const bool hasMask = maskAt + maskStride * height <= data.size();

  const auto *bytes = reinterpret_cast<const std::uint8_t *>(data.data());
  QRgb palette[256] = {};
  for (qint64 i = 0; i < paletteSize; ++i) {
    const std::uint8_t *q = bytes + headerSize + i * 4;
    palette[i] = qRgb(q[2], q[1], q[0]);
  }

  QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
  if (image.isNull())
    return {};
  bool anyAlpha = false;
  for (qint64 r = 0; r < height; ++r) {
    const std::uint8_t *row = bytes + colourAt + r * colourStride;
    QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(static_cast<int>(height - 1 - r)));
    for (qint64 x = 0; x < width; ++x) {
      switch (bpp) {
      case 32: {
        const std::uint8_t *p = row + x * 4;
        out[x] = qRgba(p[2], p[1], p[0], p[3]);
        anyAlpha = anyAlpha || p[3] != 0;
        break;
      }
      case 24: {
        const std::uint8_t *p = row + x * 3;
        out[x] = qRgb(p[2], p[1], p[0]);
        break;
      }
      default: {
        const unsigned index = paletteIndex(row, static_cast<int>(x), bpp);
        out[x] = index < paletteSize ? palette[index] : qRgb(0, 0, 0);
      }
      }
    }
  }

  // A colour picture without alpha of its own takes its transparency from the mask.
  if (!anyAlpha) {
    for (qint64 r = 0; r < height; ++r) {
      QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(static_cast<int>(height - 1 - r)));
      const std::uint8_t *mask = hasMask ? bytes + maskAt + r * maskStride : nullptr;
      for (qint64 x = 0; x < width; ++x) {
        const bool transparent = mask && (paletteIndex(mask, static_cast<int>(x), 1) != 0);
        out[x] = transparent ? 0u : (out[x] | 0xFF000000u);
      }
    }
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace lumiqo
