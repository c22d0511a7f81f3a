#include "controls/click_area.h"

#include "controls/press_keys.h"

#include <QMouseEvent>

namespace lumiqo {

ClickArea::ClickArea(QWidget *parent) : QWidget(parent) {
  // Nothing of its own is painted: the window's background shows through.
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::StrongFocus);
}

void ClickArea::setAccessibleRole(QAccessible::Role role) {
  role_ = role;
  setFocusPolicy(clickable() ? Qt::StrongFocus : Qt::NoFocus);
  setAttribute(Qt::WA_TransparentForMouseEvents, !clickable());
}

void ClickArea::click() {
  if (clickable())
    emit Click();
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

// Space and Enter click when they come up, as the mouse button does.
void ClickArea::keyPressEvent(QKeyEvent *event) {
  if (!isPressKey(event)) {
    QWidget::keyPressEvent(event); // the window's keys
    return;
  }
  event->accept();
  if (!event->isAutoRepeat())
    keyHeld_ = true;
}

void ClickArea::keyReleaseEvent(QKeyEvent *event) {
  if (!isPressKey(event) || !keyHeld_) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat())
    return;
  keyHeld_ = false;
  byKey_ = true;
  click();
  byKey_ = false;
}

void ClickArea::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  keyHeld_ = false;
}

} // namespace lumiqo
