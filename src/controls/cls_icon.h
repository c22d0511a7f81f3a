#pragma once
// ClsIcon: a reader of icon files (a 6-byte header, one 16-byte directory entry per image,
// then the images) that draws one of their images. It never reads outside the bytes it was
// given: a header or directory cut short fails to load, and an image whose data would run
// past the end reads as empty and does not draw.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

#include <optional>

class QPainter;

namespace lumiqo {

class ClsIcon {
public:
  // False when there is no such file, it is not a regular file or it cannot be read; else
  // LoadFromData of its bytes.
  bool LoadFromFile(const QString &FileName);
  // Keeps the bytes and reads the directory. False (and Count 0) when the header is short,
  // the image count is not above 0 (it is read as a signed 16-bit number, so 65535 is -1), or
  // the directory it announces is longer than the data.
  bool LoadFromData(const QByteArray &data);

  int Count() const { return static_cast<int>(entries_.size()); }
  // The entries' fields as stored (a width of 0 stands for 256 and stays 0); 0 for an index
  // outside 0 .. Count - 1.
  int Width(int Index) const;
  int Height(int Index) const;
  int ColorCount(int Index) const;
  int BitCount(int Index) const;
  qint64 Length(int Index) const;
  // The entry's image data, or nothing when the index is outside the directory or the data
  // it announces lies outside the file.
  QByteArray data(int Index) const;

  // The image decoded, or a null image when it cannot be.
  QImage image(int Index) const;
  // Draws the image at (X, Y) at the entry's size (divided by the device pixel ratio, see
  // below). Returns whether anything was drawn.
  bool Draw(QPainter &hdc, int X, int Y, int Index) const;

  // The ratio of the icon's pixels to the painter's logical pixels: 2 for a twice-size icon
  // that is to cover the plain size on a high-density screen.
  qreal devicePixelRatio() const { return ratio_; }
  void setDevicePixelRatio(qreal ratio) { ratio_ = ratio > 0 ? ratio : 1; }

private:
  struct Entry {
    int width = 0;
    int height = 0;
    int colorCount = 0;
    int bitCount = 0;
    quint32 length = 0;
    quint32 offset = 0;
  };
  const Entry *entry(int Index) const;

  QByteArray bytes_;
  QVector<Entry> entries_;
  mutable QVector<std::optional<QImage>> decoded_; // by index, filled as they are drawn
  qreal ratio_ = 1;
};

} // namespace lumiqo
