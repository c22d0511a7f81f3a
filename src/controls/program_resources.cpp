#include "controls/program_resources.h"

#include "controls/hidpi.h"
#include "controls/skin_resources.h"

namespace lumiqo {

QString programResourcePath(const QString &name) {
  return QStringLiteral(":/res/") + name;
}

void ensureProgramResources() {
  ensureSkinResources();
}

QImage loadProgramImage(const QString &name, qreal ratio) {
  ensureProgramResources();
  return loadSkinImage(programResourcePath(name), ratio);
}

QImage windowPicture(const QImage &given, const QString &name, qreal ratio, QSize size, const QColor &plain) {
  if (!given.isNull())
    return given;
  QImage picture = loadProgramImage(name, ratio);
  if (picture.isNull()) {
    qWarning("no picture %s in the program: drawing a plain one", qPrintable(name));
    picture = QImage(size, QImage::Format_RGB32);
    picture.fill(plain);
  }
  return picture;
}

} // namespace lumiqo
