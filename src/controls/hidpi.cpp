#include "controls/hidpi.h"

#include <QFileInfo>

namespace lumiqo {

QString doubleSizePath(const QString &path) {
  const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
  const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
  if (dot <= slash + 1)
    return path + QStringLiteral("@2x");
  return path.left(dot) + QStringLiteral("@2x") + path.mid(dot);
}

QImage loadSkinImage(const QString &path, qreal ratio) {
  if (ratio >= 2) {
    const QString twice = doubleSizePath(path);
    QImage image;
    if (QFileInfo::exists(twice) && image.load(twice)) {
      image.setDevicePixelRatio(2);
      return image;
    }
  }
  return QImage(path);
}

} // namespace lumiqo
