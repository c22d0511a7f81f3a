#pragma once
// The lyrics view to assistive tools: a text whose name is the current line (the view's own
// name while no line is current), described as the lyrics.

#include <QAccessibleWidget>

namespace lumiqo {

class LrcShow;

class LyricsViewAccessible : public QAccessibleWidget {
public:
  explicit LyricsViewAccessible(LrcShow *view);

  QAccessibleInterface *parent() const override;
  QString text(QAccessible::Text t) const override;
};

} // namespace lumiqo
