#include "player/state_texts.h"

namespace lumiqo {

QString StateName(int active) {
  switch (active) {
  case 1: return QStringLiteral("播放");
  case 3: return QStringLiteral("暂停");
  default: return {};
  }
}

} // namespace lumiqo
