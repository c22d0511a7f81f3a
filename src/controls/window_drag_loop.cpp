#include "controls/window_drag_loop.h"

#include <algorithm>

namespace lumiqo {

namespace {

bool movesLeft(int hit) {
  return hit == kHitLeft || hit == kHitTopLeft || hit == kHitBottomLeft;
}
bool movesRight(int hit) {
  return hit == kHitRight || hit == kHitTopRight || hit == kHitBottomRight;
}
bool movesTop(int hit) {
  return hit == kHitTop || hit == kHitTopLeft || hit == kHitTopRight;
}
bool movesBottom(int hit) {
  return hit == kHitBottom || hit == kHitBottomLeft || hit == kHitBottomRight;
}

} // namespace

void WindowDragLoop::start(int hitCode, QPoint cursor) {
  if (!window_ || (hitCode != kHitCaption && !isSizingHit(hitCode)))
    return;
  hitCode_ = hitCode;
  startCursor_ = cursor;
  startRect_ = window_->geometry();
  if (hook_)
    hook_->dragStarted(window_, hitCode_, cursor);
}

QRect WindowDragLoop::proposal(QPoint cursor) const {
  const QPoint travel = cursor - startCursor_;
  if (hitCode_ == kHitCaption)
    return startRect_.translated(travel);
  QRect r = startRect_;
  if (movesLeft(hitCode_))
    r.setLeft(r.left() + travel.x());
  if (movesRight(hitCode_))
    r.setRight(r.right() + travel.x());
  if (movesTop(hitCode_))
    r.setTop(r.top() + travel.y());
  if (movesBottom(hitCode_))
    r.setBottom(r.bottom() + travel.y());
  // The edge held by the cursor stops where the window reaches its minimum or maximum size;
  // the opposite edge never moves.
  const QSize least = window_ ? window_->minimumSize() : QSize();
  const QSize most = window_ ? window_->maximumSize() : QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  const int width = std::clamp(r.width(), least.width(), most.width());
  const int height = std::clamp(r.height(), least.height(), most.height());
  if (movesLeft(hitCode_))
    r.setLeft(r.right() + 1 - width);
  else
    r.setWidth(width);
  if (movesTop(hitCode_))
    r.setTop(r.bottom() + 1 - height);
  else
    r.setHeight(height);
  return r;
}

void WindowDragLoop::moveTo(QPoint cursor) {
  if (!active() || !window_)
    return;
  QRect r = proposal(cursor);
  if (hook_)
    r = hook_->proposeRect(window_, hitCode_, r, cursor);
  if (hitCode_ == kHitCaption)
    window_->move(r.topLeft());
  else
    window_->setGeometry(r);
}

void WindowDragLoop::finish() {
  if (!active())
    return;
  hitCode_ = 0;
  if (hook_ && window_)
    hook_->dragEnded(window_);
}

} // namespace lumiqo
