#include "app/state_label.h"

#include "controls/accessible/accessible_parts.h"

#include <QFontMetrics>
#include <QPainter>

namespace lumiqo {

StateLabel::StateLabel(QWidget *parent) : QWidget(parent) {}

void StateLabel::setText(const QString &text) {
  if (text == text_)
    return;
  text_ = text;
  update();
  announce(this, QAccessible::NameChanged); // a new state, not the same one again
}

QSize StateLabel::sizeHint() const {
  return fontMetrics().size(0, text_);
}

void StateLabel::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

} // namespace lumiqo
