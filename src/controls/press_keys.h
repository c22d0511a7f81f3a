#pragma once
// The keys that press a focused button, tab or link: Space and Enter (the keypad's too), with
// no other modifier.

#include <QKeyEvent>

namespace lumiqo {

inline bool isPressKey(const QKeyEvent *event) {
  const int key = event->key();
  return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
         !(event->modifiers() & ~Qt::KeypadModifier);
}

} // namespace lumiqo
