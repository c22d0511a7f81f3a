#include "controls/program_resources.h"

#include "controls/hidpi.h"

// The resources library is generated with the skin; a build without it simply finds no
// resources, and every control that draws from them draws nothing in their place.
#if __has_include("controls/skin_resources.h")
#include "controls/skin_resources.h"
#define LUMIQO_HAVE_SKIN_RESOURCES 1
#endif

namespace lumiqo {

QString programResourcePath(const QString &name) {
  return QStringLiteral(":/res/") + name;
}

void ensureProgramResources() {
#ifdef LUMIQO_HAVE_SKIN_RESOURCES
  ensureSkinResources();
#endif
}

QImage loadProgramImage(const QString &name, qreal ratio) {
  ensureProgramResources();
  return loadSkinImage(programResourcePath(name), ratio);
}

} // namespace lumiqo
