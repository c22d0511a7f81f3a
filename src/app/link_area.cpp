#include "app/link_area.h"

#include <QMouseEvent>

namespace lumiqo {

LinkArea::LinkArea(QWidget *parent) : QLabel(parent) {
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_TranslucentBackground);
}

void LinkArea::mousePressEvent(QMouseEvent *event) {
  pressed_ = event->button() == Qt::LeftButton;
}

void LinkArea::mouseReleaseEvent(QMouseEvent *event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click)
    emit Click();
}

} // namespace lumiqo
