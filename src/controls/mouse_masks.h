#pragma once
// The mouse-button and shift-key masks that the controls' mouse events carry: left 1, right 2,
// middle 4; shift 1, ctrl 2, alt 4.

#include <Qt>

namespace lumiqo {

inline int buttonMask(Qt::MouseButtons buttons) {
  return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
         (buttons & Qt::MiddleButton ? 4 : 0);
}

inline int shiftMask(Qt::KeyboardModifiers modifiers) {
  return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
         (modifiers & Qt::AltModifier ? 4 : 0);
}

} // namespace lumiqo
