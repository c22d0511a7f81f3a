#pragma once
// Mouse input for widget tests: one event sent straight to a widget, as the platform would
// deliver it there (local position, with the global one worked out from the widget).

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace lumiqo::test {

// `changed` is the button that went down or up (Qt::NoButton for a move), `held` the buttons
// down after the event.
inline void sendMouse(QWidget *widget, QEvent::Type type, QPointF local, Qt::MouseButton changed,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  const QPointF global = local + QPointF(widget->mapToGlobal(QPoint(0, 0)));
  QMouseEvent event(type, local, local, global, changed, held, modifiers);
  QCoreApplication::sendEvent(widget, &event);
}

} // namespace lumiqo::test
