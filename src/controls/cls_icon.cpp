#include "controls/cls_icon.h"

#include "base/regular_file.h"
#include "controls/icon_image.h"

#include <QPainter>

#include <cstdint>
#include <optional>

namespace lumiqo {
namespace {

constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr qint64 kMaxIconFileBytes = 16 * 1024 * 1024;

quint32 u32(const QByteArray &d, qsizetype at) {
  quint32 v = 0;
  for (int i = 3; i >= 0; --i)
    v = (v << 8) | static_cast<std::uint8_t>(d[at + i]);
  return v;
}

int s16(const QByteArray &d, qsizetype at) {
  return static_cast<std::int16_t>(static_cast<std::uint8_t>(d[at]) |
                                   (static_cast<std::uint8_t>(d[at + 1]) << 8));
}

int byteAt(const QByteArray &d, qsizetype at) {
  return static_cast<std::uint8_t>(d[at]);
}

} // namespace

bool ClsIcon::LoadFromFile(const QString &FileName) {
  // Only a regular file, opened without blocking: a FIFO named like an icon is no icon.
  const std::optional<QByteArray> bytes = readRegularFile(FileName, kMaxIconFileBytes);
  return bytes && LoadFromData(*bytes);
}

bool ClsIcon::LoadFromData(const QByteArray &data) {
  bytes_ = data;
  entries_.clear();
  decoded_.clear();
  if (data.size() < kHeaderSize)
    return false;
  const int count = s16(data, 4);
  if (count <= 0 || data.size() < kHeaderSize + count * kEntrySize)
    return false;
  entries_.reserve(count);
  for (int i = 0; i < count; ++i) {
    const qsizetype at = kHeaderSize + i * kEntrySize;
    Entry e;
    e.width = byteAt(data, at);
    e.height = byteAt(data, at + 1);
    e.colorCount = byteAt(data, at + 2);
    e.bitCount = s16(data, at + 6);
    e.length = u32(data, at + 8);
    e.offset = u32(data, at + 12);
    entries_.append(e);
  }
  return true;
}

const ClsIcon::Entry *ClsIcon::entry(int Index) const {
  return Index >= 0 && Index < entries_.size() ? &entries_[Index] : nullptr;
}

int ClsIcon::Width(int Index) const {
  const Entry *e = entry(Index);
  return e ? e->width : 0;
}
int ClsIcon::Height(int Index) const {
  const Entry *e = entry(Index);
  return e ? e->height : 0;
}
int ClsIcon::ColorCount(int Index) const {
  const Entry *e = entry(Index);
  return e ? e->colorCount : 0;
}
int ClsIcon::BitCount(int Index) const {
  const Entry *e = entry(Index);
  return e ? e->bitCount : 0;
}
qint64 ClsIcon::Length(int Index) const {
  const Entry *e = entry(Index);
  return e ? e->length : 0;
}

QByteArray ClsIcon::data(int Index) const {
  const Entry *e = entry(Index);
  if (!e || qint64{e->offset} + e->length > bytes_.size())
    return {};
  return bytes_.mid(e->offset, e->length);
}

QImage ClsIcon::image(int Index) const {
  if (!entry(Index))
    return {};
  // Decoded once: the play list draws its icon on every paint of the playing row.
  if (decoded_.size() != entries_.size())
    decoded_ = QVector<std::optional<QImage>>(entries_.size());
  std::optional<QImage> &picture = decoded_[Index];
  if (!picture)
    picture = decodeIconImage(data(Index));
  return *picture;
}

bool ClsIcon::Draw(QPainter &hdc, int X, int Y, int Index) const {
  const QImage picture = image(Index);
  if (picture.isNull())
    return false;
  const int w = Width(Index) == 0 ? 256 : Width(Index);
  const int h = Height(Index) == 0 ? 256 : Height(Index);
  hdc.drawImage(QRectF(X, Y, w / ratio_, h / ratio_), picture);
  return true;
}

} // namespace lumiqo
