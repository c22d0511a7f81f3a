#include "app/skin_image.h"

#include "base/twips.h"
#include "controls/hidpi.h"

#include <QMouseEvent>
#include <QPainter>

namespace lumiqo {

SkinImage::SkinImage(QWidget *parent) : QWidget(parent) {}

bool SkinImage::load(const QString &path) {
  QImage picture = loadSkinImage(path, devicePixelRatioF());
  if (picture.isNull())
    return false;
  setPicture(picture);
  return true;
}

void SkinImage::setPicture(const QImage &picture) {
  picture_ = picture;
  update();
}

QSize SkinImage::pictureSize() const {
  return picture_.deviceIndependentSize().toSize();
}

void SkinImage::paintEvent(QPaintEvent *) {
  if (picture_.isNull())
    return;
  QPainter painter(this);
  painter.drawImage(rect(), picture_);
}

void SkinImage::mousePressEvent(QMouseEvent *event) {
  pointerOnScreen_ = event->globalPosition().toPoint();
  emit MouseDown(event->button(), event->position().x() * kTwipsPerPixel,
                 event->position().y() * kTwipsPerPixel);
}

void SkinImage::mouseMoveEvent(QMouseEvent *event) {
  pointerOnScreen_ = event->globalPosition().toPoint();
  emit MouseMove(event->buttons(), event->position().x() * kTwipsPerPixel,
                 event->position().y() * kTwipsPerPixel);
}

void SkinImage::mouseReleaseEvent(QMouseEvent *event) {
  pointerOnScreen_ = event->globalPosition().toPoint();
  emit MouseUp(event->button(), event->position().x() * kTwipsPerPixel,
               event->position().y() * kTwipsPerPixel);
}

} // namespace lumiqo
