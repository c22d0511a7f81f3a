#include "controls/uc_scrollbar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace lumiqo {
namespace {

// 8 x 8, rows alternately 0xAA and 0x55: set bits in the background colour (white), clear
// bits in the text colour (black), anchored at the control's origin.
QBrush checkerBrush() {
  QImage pattern(8, 8, QImage::Format_RGB32);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pattern.setPixel(x, y, (x + y) % 2 == 0 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
  return QBrush(pattern);
}

// Key state as the control reads it: a mouse button, Shift or Ctrl down.
bool keyStateFlags(const QMouseEvent *e) {
  return e->buttons() != Qt::NoButton || (e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
}

} // namespace

ucScrollbar::ucScrollbar(QWidget *parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent); // the host under the bar is never drawn for it
  delayTimer_.setTimerType(Qt::PreciseTimer);
  repeatTimer_.setTimerType(Qt::PreciseTimer);
  connect(&delayTimer_, &QTimer::timeout, this, &ucScrollbar::delayElapsed);
  connect(&repeatTimer_, &QTimer::timeout, this, &ucScrollbar::repeat);
  relayout();
}

ucScrollbar::~ucScrollbar() = default;

void ucScrollbar::setMin(int value) {
  min_ = std::min(value, max_);
  value_ = std::max(value_, min_);
  recomputeThumb();
}

void ucScrollbar::setMax(int value) {
  max_ = std::max(value, min_);
  value_ = std::min(value_, max_);
  recomputeThumb();
}

void ucScrollbar::setValue(int value) {
  value = std::clamp(value, min_, std::max(min_, max_));
  const bool changed = value != value_;
  value_ = value;
  recomputeThumb();
  if (changed)
    emit Change();
}

void ucScrollbar::setSmallChange(int value) {
  smallChange_ = std::max(value, 1);
  recomputeThumb();
}

void ucScrollbar::setLargeChange(int value) {
  largeChange_ = std::max(value, 1);
  recomputeThumb();
}

void ucScrollbar::setChangeDelay(int ms) {
  changeDelay_ = std::max(ms, 0);
}

void ucScrollbar::setChangeFrequency(int ms) {
  changeFrequency_ = ms <= 24 ? 25 : ms;
}

void ucScrollbar::setOrientation(int value) {
  orientation_ = std::clamp(value, 0, 1);
  relayout();
}

void ucScrollbar::setShowButtons(bool on) {
  showButtons_ = on;
  relayout();
}

void ucScrollbar::ReadProperties(const QVariantMap &PropBag) {
  auto read = [&PropBag](const char *key, int fallback) {
    return PropBag.value(QLatin1String(key), fallback).toInt();
  };
  setEnabled(PropBag.value(QStringLiteral("Enabled"), true).toBool());
  min_ = read("Min", 0);
  max_ = read("Max", 100);
  value_ = read("Value", 0);
  smallChange_ = read("SmallChange", 1);
  largeChange_ = read("LargeChange", 10);
  changeDelay_ = read("ChangeDelay", 500);
  changeFrequency_ = read("ChangeFrequency", 50);
  orientation_ = read("Orientation", kVertical);
  showButtons_ = PropBag.value(QStringLiteral("ShowButtons"), true).toBool();
  relayout();
}

void ucScrollbar::WriteProperties(QVariantMap &PropBag) const {
  auto write = [&PropBag](const char *key, const QVariant &value, const QVariant &fallback) {
    if (value != fallback)
      PropBag.insert(QLatin1String(key), value);
    else
      PropBag.remove(QLatin1String(key));
  };
  write("Enabled", isEnabled(), true);
  write("Min", min_, 0);
  write("Max", max_, 100);
  write("Value", value_, 0);
  write("SmallChange", smallChange_, 1);
  write("LargeChange", largeChange_, 10);
  write("ChangeDelay", changeDelay_, 500);
  write("ChangeFrequency", changeFrequency_, 50);
  write("Orientation", orientation_, kVertical);
  write("ShowButtons", showButtons_, true);
}

void ucScrollbar::setDrawing(std::unique_ptr<cScrollbarDraw> drawing) {
  drawing_ = std::move(drawing);
  ownArt_ = drawing_ != nullptr;
  redraw();
}

void ucScrollbar::setVisible(bool visible) {
  const bool was = !isHidden();
  QWidget::setVisible(visible);
  if (was == visible)
    return;
  if (visible)
    emit Show();
  else
    emit Hide();
}

bool ucScrollbar::timerRunning(int id) const {
  return id == kDelayTimer ? delayTimer_.isActive() : id == kRepeatTimer && repeatTimer_.isActive();
}

int ucScrollbar::timerInterval(int id) const {
  return id == kDelayTimer ? delayTimer_.interval() : id == kRepeatTimer ? repeatTimer_.interval() : 0;
}

// The whole bar is drawn at once, so one request stands for any number of changes before the
// paint (a list that grows by thousands of rows moves the thumb thousands of times).
void ucScrollbar::redraw() {
  if (redrawPending_)
    return;
  redrawPending_ = true;
  update();
}

void ucScrollbar::relayout() {
  laidOut_ = QSize(-1, -1);
  recomputeThumb();
}

void ucScrollbar::recomputeThumb() {
  if (size() != laidOut_) {
    laidOut_ = size();
    geo_.layout(size(), orientation_ == kVertical, showButtons_);
  }
  geo_.sizeThumb(range(), largeChange_);
  geo_.placeThumb(geo_.positionFor(value_, min_, range()));
  redraw();
}

bool ucScrollbar::step(qint64 delta, bool fromButtonDown) {
  const qint64 moved = qint64{value_} + delta;
  const int value =
      static_cast<int>(delta < 0 ? std::max<qint64>(moved, min_) : std::min<qint64>(moved, max_));
  if (value == value_) {
    if (fromButtonDown)
      redraw(); // the pressed look shows even at the end of the range
    return false;
  }
  value_ = value;
  geo_.placeThumb(geo_.positionFor(value_, min_, range()));
  redraw();
  emit Change();
  return true;
}

bool *ucScrollbar::pressedFlag(int part) {
  switch (part) {
  case kFirstArrow: return &pressed_.firstArrow;
  case kSecondArrow: return &pressed_.secondArrow;
  case kFirstTrack: return &pressed_.firstTrack;
  case kSecondTrack: return &pressed_.secondTrack;
  case kThumb: return &pressed_.thumb;
  default: return nullptr;
  }
}

bool *ucScrollbar::hotFlag(int part) {
  switch (part) {
  case kFirstArrow: return &hot_.firstArrow;
  case kSecondArrow: return &hot_.secondArrow;
  case kThumb: return &hot_.thumb;
  default: return nullptr;
  }
}

void ucScrollbar::leftButtonDown(QPoint p) {
  ensureLayout();
  mouse_ = p;
  clearHotOutside(p);
  pressedPart_ = geo_.hitTest(p);
  if (pressedPart_ == kNoPart)
    return;
  *pressedFlag(pressedPart_) = true;
  if (bool *hot = hotFlag(pressedPart_))
    *hot = false;
  switch (pressedPart_) {
  case kFirstArrow: step(-qint64{smallChange_}, true); break;
  case kSecondArrow: step(smallChange_, true); break;
  case kFirstTrack: step(-qint64{largeChange_}, true); break;
  case kSecondTrack: step(largeChange_, true); break;
  case kThumb:
    grabOffset_ = geo_.thumbPosition() - geo_.along(p);
    startValue_ = value_;
    redraw();
    return;
  }
  delayTimer_.stop();
  repeatTimer_.stop();
  delayTimer_.start(changeDelay_);
}

bool ucScrollbar::mouseTakenAway() const {
  const QWidget *grabber = QWidget::mouseGrabber();
  const QWidget *popup = QApplication::activePopupWidget();
  return (grabber && grabber != this) || (popup && popup != window());
}

void ucScrollbar::delayElapsed() {
  if (mouseTakenAway()) {
    leftButtonUp();
    return;
  }
  delayTimer_.stop();
  repeatTimer_.start(changeFrequency_);
}

void ucScrollbar::repeat() {
  if (mouseTakenAway()) {
    leftButtonUp();
    return;
  }
  const int at = geo_.along(mouse_);
  switch (pressedPart_) {
  case kFirstArrow:
  case kSecondArrow:
    if (geo_.part(pressedPart_).contains(mouse_)) {
      const qint64 n = pressedPart_ == kFirstArrow ? -qint64{smallChange_} : qint64{smallChange_};
      if (!step(n, false))
        repeatTimer_.stop();
    }
    break;
  case kFirstTrack:
  case kSecondTrack: {
    // Paging goes on while the pointer lies beyond the thumb in the pressed direction; the
    // timer keeps running, so it resumes when the pointer comes back there.
    const bool beyond = pressedPart_ == kFirstTrack ? geo_.thumbPosition() > at
                                                    : geo_.thumbPosition() + geo_.thumbSize() < at;
    *pressedFlag(pressedPart_) = beyond;
    redraw();
    if (beyond)
      step(pressedPart_ == kFirstTrack ? -qint64{largeChange_} : qint64{largeChange_}, false);
    break;
  }
  default: repeatTimer_.stop();
  }
}

void ucScrollbar::dragThumb(QPoint p) {
  const int before = value_;
  int position;
  if (geo_.inDragArea(p)) {
    const int last = geo_.trackEnd() - geo_.thumbSize();
    position = std::max(geo_.trackStart(), std::min(geo_.along(p) + grabOffset_, last));
    // A thumb that fills the track cannot move; its value stays.
    if (geo_.trackLength() - geo_.thumbSize() > 0)
      value_ = static_cast<int>(geo_.valueAt(position, min_, range()));
  } else {
    value_ = startValue_; // dragged far off the bar: back to where the drag began
    position = geo_.positionFor(value_, min_, range());
  }
  if (position == geo_.thumbPosition())
    return;
  geo_.placeThumb(position);
  redraw();
  if (value_ != before)
    emit Scroll();
}

void ucScrollbar::leftButtonUp() {
  delayTimer_.stop();
  repeatTimer_.stop();
  const bool draggedThumb = pressedPart_ == kThumb && value_ != startValue_;
  pressedPart_ = kNoPart;
  pressed_ = {};
  geo_.placeThumb(geo_.positionFor(value_, min_, range()));
  redraw();
  if (draggedThumb)
    emit Change();
}

// What the hot-part check finds: a hot arrow or thumb no longer under the pointer cools.
void ucScrollbar::clearHotOutside(QPoint p) {
  for (int part : {kFirstArrow, kSecondArrow, kThumb}) {
    bool *hot = hotFlag(part);
    if (*hot) {
      if (!geo_.part(part).contains(p)) {
        *hot = false;
        redraw();
      }
      return;
    }
  }
}

void ucScrollbar::hover(QPoint p) {
  clearHotOutside(p);
  if (!pointerInside_) {
    // The first move only marks the pointer inside.
    pointerInside_ = true;
    redraw();
    return;
  }
  const int part = geo_.hitTest(p);
  bool *hot = hotFlag(part);
  if (hot && !*hot) {
    hot_ = {};
    *hot = true;
    redraw();
  }
}

int ucScrollbar::arrowState(bool hot, bool pressed) const {
  if (!isEnabled())
    return 4;
  return hot ? 2 : pressed ? 3 : pointerInside_ ? 1 : 0;
}

void ucScrollbar::ensureDrawing() {
  const qreal ratio = devicePixelRatioF() >= 2 ? 2 : 1;
  if (drawing_ && (ownArt_ || ratio == drawingRatio_))
    return;
  drawing_ = std::make_unique<cScrollbarDraw>(ratio);
  drawingRatio_ = ratio;
}

void ucScrollbar::paintEvent(QPaintEvent *) {
  redrawPending_ = false;
  ensureLayout();
  ensureDrawing();
  QPainter p(this);
  p.fillRect(rect(), palette().window()); // under the parts, in case a bitmap is missing
  const int o = orientation_ == kVertical ? kVertical : kHorizontal;
  const bool enabled = isEnabled();
  const QRect first = geo_.part(kFirstArrow);
  const QRect second = geo_.part(kSecondArrow);
  if (!first.isEmpty())
    drawing_->drawFirstArrow(p, o, arrowState(hot_.firstArrow, pressed_.firstArrow), first);
  if (!second.isEmpty())
    drawing_->drawSecondArrow(p, o, arrowState(hot_.secondArrow, pressed_.secondArrow), second);
  if (geo_.hasTrack()) {
    drawing_->drawTrack(p, o, enabled && pressed_.firstTrack ? 1 : 0, geo_.part(kFirstTrack));
    drawing_->drawTrack(p, o, enabled && pressed_.secondTrack ? 1 : 0, geo_.part(kSecondTrack));
    const int thumb = !enabled ? 3 : hot_.thumb ? 1 : pressed_.thumb ? 2 : 0;
    drawing_->drawThumb(p, o, thumb, geo_.part(kThumb));
  }
  if (geo_.fillMiddle()) {
    static const QBrush checker = checkerBrush();
    p.fillRect(geo_.filler(), checker);
  }
}

void ucScrollbar::resizeEvent(QResizeEvent *) {
  relayout();
}

void ucScrollbar::mousePressEvent(QMouseEvent *event) {
  event->accept(); // nothing falls through to the host under the bar
  if (event->button() == Qt::LeftButton)
    leftButtonDown(event->position().toPoint());
}

// The second click of a double click is another press.
void ucScrollbar::mouseDoubleClickEvent(QMouseEvent *event) {
  mousePressEvent(event);
}

void ucScrollbar::mouseMoveEvent(QMouseEvent *event) {
  event->accept();
  ensureLayout();
  const QPoint p = event->position().toPoint();
  mouse_ = p;
  if (!keyStateFlags(event)) {
    hover(p);
    return;
  }
  clearHotOutside(p);
  if (pressedPart_ == kFirstArrow || pressedPart_ == kSecondArrow) {
    bool *flag = pressedFlag(pressedPart_);
    const bool inside = geo_.part(pressedPart_).contains(p);
    if (*flag != inside) {
      *flag = inside;
      redraw();
    }
  } else if (pressedPart_ == kThumb) {
    dragThumb(p);
  }
}

void ucScrollbar::mouseReleaseEvent(QMouseEvent *event) {
  event->accept();
  if (event->button() != Qt::LeftButton)
    return;
  leftButtonUp();
  if (!rect().contains(event->position().toPoint())) {
    pointerInside_ = false;
    hot_ = {};
    redraw();
  }
}

void ucScrollbar::leaveEvent(QEvent *) {
  hot_ = {};
  if (pressedPart_ == kNoPart)
    pointerInside_ = false;
  redraw();
}

void ucScrollbar::hideEvent(QHideEvent *) {
  if (pressedPart_ != kNoPart)
    leftButtonUp();
  pointerInside_ = false;
  hot_ = {};
}

// The window lost the activation or a modal window blocks it: the mouse is gone with it, and a
// held part is let go as on the release (the classic cancel mode), so nothing repeats unseen.
bool ucScrollbar::event(QEvent *event) {
  if ((event->type() == QEvent::WindowDeactivate || event->type() == QEvent::WindowBlocked) &&
      pressedPart_ != kNoPart)
    leftButtonUp();
  return QWidget::event(event);
}

void ucScrollbar::changeEvent(QEvent *event) {
  if (event->type() == QEvent::EnabledChange) {
    if (!isEnabled() && pressedPart_ != kNoPart)
      leftButtonUp();
    redraw();
  }
  QWidget::changeEvent(event);
}

} // namespace lumiqo
