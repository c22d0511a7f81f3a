#include "controls/vondan.h"

#include "controls/accessible/accessible_parts.h"
#include "controls/hidpi.h"
#include "controls/mouse_masks.h"
#include "controls/press_keys.h"

#include "base/twips.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace lumiqo {

namespace {

// The slot of the blend of looks a and b, -1 unless both lie in 1..3 and differ.
int blendSlot(int a, int b) {
  if (a < 1 || a > 3 || b < 1 || b > 3 || a == b)
    return -1;
  return a + b - 3; // 1+2 -> 0, 1+3 -> 1, 2+3 -> 2
}

constexpr float kTwips = kTwipsPerPixel;

} // namespace

vondan::vondan(QWidget *parent) : QWidget(parent) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  Timer1.setSingleShot(true);
  Timer1.setInterval(kBlendMs);
  connect(&Timer1, &QTimer::timeout, this, &vondan::Timer1_Timer);
}

bool vondan::setUPicPath(const QString &path) {
  unreadable_.clear();
  QImage strip = loadSkinImage(path, devicePixelRatioF(), &unreadable_);
  if (strip.isNull()) {
    error_ = QFileInfo::exists(path) ? QStringLiteral("Invalid picture: %1").arg(path)
                                     : QStringLiteral("File not found: %1").arg(path);
    return false;
  }
  const QSize plain = strip.deviceIndependentSize().toSize();
  const QSize frame(quarterRounded(plain.width()), plain.height());
  if (frame.width() > kMaxFramePixels || frame.height() > kMaxFramePixels) {
    error_ = QStringLiteral("Picture frames larger than %1 pixels: %2").arg(kMaxFramePixels).arg(path);
    return false;
  }
  error_.clear();
  picPath_ = path;
  frames_ = cutStrip(strip);
  frameSize_ = frame;
  resize(frameSize_);
  blends_[0] = halfAndHalf(frames_.frame[2], frames_.frame[1]);
  blends_[1] = halfAndHalf(frames_.frame[3], frames_.frame[1]);
  blends_[2] = halfAndHalf(frames_.frame[3], frames_.frame[2]);
  // The new strip shows look 0 straight away, whatever the state was: no blend, no tick.
  Timer1.stop();
  shown_ = 0;
  update();
  vondpicy_m(0);
  return true;
}

QImage vondan::blendImage(int a, int b) const {
  const int slot = blendSlot(a, b);
  return slot < 0 ? QImage() : blends_[static_cast<std::size_t>(slot)];
}

void vondan::vondpicy_m(int state) {
  if (state == state_ || state < 0 || state > 3) // the strip has four looks, no more
    return;
  if (!frameSize_.isEmpty())
    resize(frameSize_);
  if (blendSlot(state_, state) >= 0)
    showPicture(10 * state_ + state);
  state_ = static_cast<qint16>(state);
  // One tick later the new look replaces whatever shows; when that already is the new look
  // the tick would change no pixel and is not run.
  if (shown_ == state_)
    Timer1.stop();
  else
    Timer1.start();
}

void vondan::Timer1_Timer() {
  showPicture(state_);
}

void vondan::showPicture(int picture) {
  if (picture == shown_)
    return;
  shown_ = picture;
  update();
}

const QImage &vondan::picture(int shown) const {
  if (shown >= 10)
    return blends_[static_cast<std::size_t>(blendSlot(shown / 10, shown % 10))];
  return frames_.frame[shown];
}

void vondan::paintEvent(QPaintEvent *) {
  const QImage &image = picture(shown_);
  if (image.isNull())
    return;
  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), image);
}

bool vondan::inside(QPointF point) const {
  // Both edges count: a pointer exactly on the right or bottom edge is inside.
  return point.x() >= 0 && point.y() >= 0 && point.x() <= width() && point.y() <= height();
}

void vondan::mousePressEvent(QMouseEvent *event) {
  const QPointF at = event->position();
  emit MouseDown(buttonMask(event->button()), shiftMask(event->modifiers()),
                 static_cast<float>(at.x()) * kTwips, static_cast<float>(at.y()) * kTwips);
  captured_ = true; // the press grabs the mouse
  pressed_ = true;
  vondpicy_m(2);
}

void vondan::mouseMoveEvent(QMouseEvent *event) {
  const QPointF at = event->position();
  if (!inside(at)) {
    pointerLeft();
    return;
  }
  captured_ = true;
  emit MouseMove(buttonMask(event->buttons()), shiftMask(event->modifiers()),
                 static_cast<float>(at.x()) * kTwips, static_cast<float>(at.y()) * kTwips);
  if (!pressed_)
    vondpicy_m(1);
}

void vondan::mouseReleaseEvent(QMouseEvent *event) {
  const QPointF at = event->position();
  // After the pointer left, the button no longer holds the mouse: a release outside it is
  // not its business.
  if (!captured_ && !inside(at))
    return;
  emit MouseUp(buttonMask(event->button()), shiftMask(event->modifiers()),
               static_cast<float>(at.x()) * kTwips, static_cast<float>(at.y()) * kTwips);
  const bool wasPressed = pressed_;
  pressed_ = false; // the pressed look stays until the pointer moves
  if (wasPressed && event->button() == Qt::LeftButton && inside(at))
    emit Click();
}

void vondan::leaveEvent(QEvent *event) {
  QWidget::leaveEvent(event);
  pointerLeft();
}

void vondan::pointerLeft() {
  if (!captured_)
    return;
  captured_ = false;
  emit MouseLeave();
  pressed_ = false;
  vondpicy_m(3);
}

void vondan::click() {
  emit Click();
}

void vondan::setChecked(bool on) {
  if (on == checked_)
    return;
  checked_ = on;
  QAccessible::State changed;
  changed.checked = true;
  announce(QAccessibleStateChangeEvent(this, changed));
}

void vondan::keyPressEvent(QKeyEvent *event) {
  if (!isPressKey(event)) {
    QWidget::keyPressEvent(event); // the window's keys
    return;
  }
  event->accept();
  if (event->isAutoRepeat() || keyHeld_)
    return;
  keyHeld_ = true;
  vondpicy_m(2);
}

void vondan::keyReleaseEvent(QKeyEvent *event) {
  if (!isPressKey(event) || !keyHeld_) {
    QWidget::keyReleaseEvent(event);
    return;
  }
  event->accept();
  if (event->isAutoRepeat())
    return;
  keyHeld_ = false;
  vondpicy_m(0);
  emit Click();
}

void vondan::focusOutEvent(QFocusEvent *event) {
  QWidget::focusOutEvent(event);
  if (keyHeld_) { // the key went up elsewhere: no click
    keyHeld_ = false;
    vondpicy_m(0);
  }
}

} // namespace lumiqo
