#include "controls/skin_resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE names a function at global scope, so it is used outside the namespace.
static void registerSkinResources() {
  Q_INIT_RESOURCE(lumiqo_skin);
}

namespace lumiqo {

void ensureSkinResources() {
  static const bool registered = (registerSkinResources(), true);
  Q_UNUSED(registered);
}

} // namespace lumiqo
