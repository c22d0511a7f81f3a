#include "lyrics/accessible/lyrics_view_accessible.h"

#include "controls/accessible/accessible_parts.h"
#include "lyrics/lrc_show.h"

namespace lumiqo {

LyricsViewAccessible::LyricsViewAccessible(LrcShow *view)
    : QAccessibleWidget(view, QAccessible::StaticText) {}

QAccessibleInterface *LyricsViewAccessible::parent() const {
  return accessibleParentOf(widget());
}

QString LyricsViewAccessible::text(QAccessible::Text t) const {
  const auto *view = static_cast<const LrcShow *>(widget());
  switch (t) {
  case QAccessible::Name: {
    const QString line = view->currentLine();
    return line.isEmpty() ? view->accessibleName() : line;
  }
  case QAccessible::Value: return view->currentLine();
  case QAccessible::Description: return view->accessibleName();
  default: return QAccessibleWidget::text(t);
  }
}

} // namespace lumiqo
