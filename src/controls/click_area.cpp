#include "controls/click_area.h"

#include <QMouseEvent>

namespace lumiqo {

ClickArea::ClickArea(QWidget *parent) : QWidget(parent) {
  // Nothing of its own is painted: the window's background shows through.
  setAttribute(Qt::WA_NoSystemBackground);
}

void ClickArea::mousePressEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() == Qt::LeftButton)
    leftHeld_ = true;
}

// The second press of a double click counts as a press of its own, so it clicks again.
void ClickArea::mouseDoubleClickEvent(QMouseEvent *event) {
  mousePressEvent(event);
}

void ClickArea::mouseReleaseEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !leftHeld_)
    return;
  leftHeld_ = false;
  if (rect().contains(event->position().toPoint()))
    emit Click();
}

} // namespace lumiqo
