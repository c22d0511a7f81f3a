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

} // namespace lumiqo
