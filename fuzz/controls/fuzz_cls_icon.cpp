// The icon reader against any bytes: loading, the directory's fields, the image data and the
// decoded pictures never reach outside the input.
#include "controls/cls_icon.h"
#include "controls/icon_image.h"

#include <QPainter>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  lumiqo::ClsIcon icon;
  const bool loaded = icon.LoadFromData(bytes);
  if (loaded != (icon.Count() > 0))
    __builtin_trap();
  QImage canvas(16, 16, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  QPainter painter(&canvas);
  for (int i = 0; i < icon.Count() && i < 8; ++i) {
    const QByteArray image = icon.data(i);
    if (!image.isEmpty() && image.size() != icon.Length(i))
      __builtin_trap();
    const QImage picture = icon.image(i);
    if (!picture.isNull() &&
        (picture.width() > lumiqo::kMaxIconSide || picture.height() > lumiqo::kMaxIconSide))
      __builtin_trap();
    // Small entries are drawn too (large ones only cost time).
    if (icon.Width(i) != 0 && icon.Width(i) <= 32 && icon.Height(i) != 0 && icon.Height(i) <= 32)
      icon.Draw(painter, 0, 0, i);
  }
  // The image decoder straight on the input as well.
  lumiqo::decodeIconImage(QByteArrayView(bytes));
  return 0;
}
