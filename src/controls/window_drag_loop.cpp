#include "controls/window_drag_loop.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace lumiqo {

WindowDragLoop::WindowDragLoop(QWidget *window) : QObject(window), window_(window) {
  window->installEventFilter(this);
}

WindowDragLoop *WindowDragLoop::of(QWidget *window) {
  if (auto *loop = window->findChild<WindowDragLoop *>(QString(), Qt::FindDirectChildrenOnly))
    return loop;
  return new WindowDragLoop(window);
}

bool WindowDragLoop::pressed(int hitCode, QPoint globalPos, Qt::MouseButton button) {
  const bool known = hitCode == Caption || (hitCode >= Left && hitCode <= BottomRight);
  if (button != Qt::LeftButton || !known || isActive() || window_->isMaximized() || window_->isFullScreen())
    return false;
  hitCode_ = hitCode;
  placed_.clear();
  startCursor_ = globalPos;
  startFrame_ = window_->frameGeometry();
  const QRect client = window_->geometry();
  frameMargins_ = QMargins(client.left() - startFrame_.left(), client.top() - startFrame_.top(),
                           startFrame_.right() - client.right(), startFrame_.bottom() - client.bottom());
  if (hook_)
    hook_->dragEntered(window_, hitCode_, globalPos);
  return true;
}

QRect WindowDragLoop::proposedFrame(QPoint cursor) const {
  const QPoint d = cursor - startCursor_;
  if (hitCode_ == Caption)
    return startFrame_.translated(d);
  QRect r = startFrame_;
  if (hitCode_ == Left || hitCode_ == TopLeft || hitCode_ == BottomLeft)
    r.setLeft(r.left() + d.x());
  if (hitCode_ == Right || hitCode_ == TopRight || hitCode_ == BottomRight)
    r.setRight(r.right() + d.x());
  if (hitCode_ == Top || hitCode_ == TopLeft || hitCode_ == TopRight)
    r.setTop(r.top() + d.y());
  if (hitCode_ == Bottom || hitCode_ == BottomLeft || hitCode_ == BottomRight)
    r.setBottom(r.bottom() + d.y());
  return r;
}

// Keeps a sized frame within the window's size limits; the edge that does not move stays put.
QRect WindowDragLoop::withinSizeLimits(QRect frame) const {
  if (hitCode_ == Caption)
    return frame;
  const int extraW = frameMargins_.left() + frameMargins_.right();
  const int extraH = frameMargins_.top() + frameMargins_.bottom();
  const int w = std::clamp(frame.width(), window_->minimumWidth() + extraW,
                           std::max(window_->minimumWidth(), window_->maximumWidth()) + extraW);
  const int h = std::clamp(frame.height(), window_->minimumHeight() + extraH,
                           std::max(window_->minimumHeight(), window_->maximumHeight()) + extraH);
  if (hitCode_ == Left || hitCode_ == TopLeft || hitCode_ == BottomLeft)
    frame.setLeft(frame.right() + 1 - w);
  else
    frame.setWidth(w);
  if (hitCode_ == Top || hitCode_ == TopLeft || hitCode_ == TopRight)
    frame.setTop(frame.bottom() + 1 - h);
  else
    frame.setHeight(h);
  return frame;
}

void WindowDragLoop::moved(QPoint globalPos) {
  if (!isActive())
    return;
  WindowDragHook::Step step{withinSizeLimits(proposedFrame(globalPos)), {}};
  if (hook_) {
    step = hook_->dragStep(window_, hitCode_, step.frame, globalPos);
    step.frame = withinSizeLimits(step.frame);
  }
  apply(step);
}

void WindowDragLoop::apply(const WindowDragHook::Step &step) {
  if (hitCode_ == Caption)
    window_->move(step.frame.topLeft());
  else
    window_->setGeometry(step.frame - frameMargins_);
  placed_.clear();
  placed_.emplace_back(window_, step.frame);
  for (const auto &follower : step.followers)
    if (follower.window && follower.window != window_) {
      follower.window->move(follower.topLeft);
      placed_.emplace_back(follower.window, QRect(follower.topLeft, follower.window->frameGeometry().size()));
    }
}

void WindowDragLoop::released() {
  if (isActive())
    end();
}

void WindowDragLoop::end() {
  hitCode_ = 0;
  std::vector<WindowDragHook::Placed> placed;
  for (const auto &[window, frame] : placed_)
    if (window)
      placed.push_back({window, frame});
  placed_.clear();
  if (hook_)
    hook_->dragExited(window_, placed);
}

bool WindowDragLoop::eventFilter(QObject *watched, QEvent *event) {
  if (watched == window_ && isActive()) {
    switch (event->type()) {
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate: end(); break;
    default: break;
    }
  }
  return QObject::eventFilter(watched, event);
}

} // namespace lumiqo
