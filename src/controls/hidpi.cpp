#include "controls/hidpi.h"

#include "controls/skin_picture.h"

#include <QFileInfo>

namespace lumiqo {

QString doubleSizePath(const QString &path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot <= slash + 1)
    return path + QStringLiteral("@2x");
  return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

QImage loadSkinImage(const QString &path, qreal ratio, QStringList *unreadable) {
  const auto note = [unreadable](const QString &file) {
    if (unreadable)
      unreadable->append(file);
  };
  if (ratio >= 2) {
    const QString twice = doubleSizePath(path);
    if (QFileInfo::exists(twice)) {
      QImage image = readSkinPicture(twice);
      if (!image.isNull()) {
        image.setDevicePixelRatio(2);
        return image;
      }
      note(twice);
    }
  }
  QImage image = readSkinPicture(path);
  if (image.isNull())
    note(path);
  return image;
}

} // namespace lumiqo
