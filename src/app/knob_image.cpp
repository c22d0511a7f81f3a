#include "app/knob_image.h"

#include "base/twips.h"

#include <QMouseEvent>

namespace lumiqo {

KnobImage::KnobImage(QWidget *parent) : QLabel(parent) {
  setAutoFillBackground(true);
}

void KnobImage::mousePressEvent(QMouseEvent *event) {
  emit MouseDown(event->button(), event->position().x() * kTwipsPerPixel);
}

void KnobImage::mouseMoveEvent(QMouseEvent *event) {
  emit MouseMove(event->buttons(), event->position().x() * kTwipsPerPixel);
}

} // namespace lumiqo
