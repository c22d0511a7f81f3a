#include "controls/magnetic_dock.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace lumiqo {

MagneticDock::MagneticDock(QObject *parent) : QObject(parent) {}

MagneticDock::~MagneticDock() = default;

bool MagneticDock::AddWindow(QWidget *window, QWidget *parent) {
  if (!window || !window->isWindow() || (parent && !parent->isWindow()))
    return false;
  return magnetic_.AddWindow(idOf(window), idOf(parent));
}

bool MagneticDock::RemoveWindow(QWidget *window) {
  return magnetic_.RemoveWindow(idOf(window));
}

// Only windows checked by AddWindow, or registered (and so alive), come here.
bool MagneticDock::IsLive(WindowId window) const {
  return window != 0 && widgetOf(window)->isWindow();
}

cMagneticWnd::Rect MagneticDock::WindowRect(WindowId window) const {
  const auto it = placed_.find(window);
  return cMagneticWnd::Rect::fromQRect(it != placed_.end() ? it->second : widgetOf(window)->frameGeometry());
}

bool MagneticDock::IsMaximised(WindowId window) const {
  return widgetOf(window)->isMaximized();
}

cMagneticWnd::Rect MagneticDock::WorkArea(WindowId window) const {
  const QScreen *screen = widgetOf(window)->screen();
  return screen ? cMagneticWnd::Rect::fromQRect(screen->availableGeometry()) : cMagneticWnd::Rect{};
}

void MagneticDock::Subclass(WindowId id) {
  QWidget *window = widgetOf(id);
  Attached &a = attached_[id];
  a.window = window;
  a.loop = WindowDragLoop::of(window);
  a.loop->setHook(this);
  window->installEventFilter(this);
  a.destroyed = connect(window, &QObject::destroyed, this, [this, id] {
    attached_[id].window = nullptr;
    magnetic_.RemoveWindow(id);
  });
}

void MagneticDock::Unsubclass(WindowId id) {
  const auto it = attached_.find(id);
  if (it == attached_.end())
    return;
  Attached &a = it->second;
  if (a.loop && a.loop->hook() == this)
    a.loop->setHook(nullptr);
  if (a.window)
    a.window->removeEventFilter(this);
  disconnect(a.destroyed);
  attached_.erase(it);
}

void MagneticDock::dragEntered(QWidget *window, int, QPoint cursor) {
  magnetic_.EnterSizeMove(idOf(window), cursor);
}

WindowDragHook::Step MagneticDock::dragStep(QWidget *window, int hitCode, const QRect &proposed,
                                            QPoint cursor) {
  const auto rect = cMagneticWnd::Rect::fromQRect(proposed);
  if (hitCode != WindowDragLoop::Caption)
    return {
        magnetic_.Sizing(idOf(window), hitCode - WindowDragLoop::Left + cMagneticWnd::Left, rect).toQRect(),
        {}};
  const cMagneticWnd::MoveResult moved = magnetic_.Moving(idOf(window), rect, cursor);
  Step step{moved.rect.toQRect(), {}};
  step.followers.reserve(moved.glued.size());
  for (const auto &placement : moved.glued)
    step.followers.push_back({widgetOf(placement.window), placement.topLeft});
  return step;
}

void MagneticDock::dragExited(QWidget *, const std::vector<Placed> &placed) {
  for (const auto &p : placed)
    placed_[idOf(p.window)] = p.frame;
  magnetic_.ExitSizeMove();
  placed_.clear();
}

bool MagneticDock::eventFilter(QObject *watched, QEvent *event) {
  if (event->type() == QEvent::WindowStateChange && watched->isWidgetType()) {
    const auto *change = static_cast<QWindowStateChangeEvent *>(event);
    const Qt::WindowStates now = static_cast<QWidget *>(watched)->windowState();
    if (now & Qt::WindowMinimized)
      magnetic_.SysCommand(cMagneticWnd::kScMinimize);
    else if (change->oldState() & (Qt::WindowMinimized | Qt::WindowMaximized))
      magnetic_.SysCommand(cMagneticWnd::kScRestore);
  }
  return QObject::eventFilter(watched, event);
}

} // namespace lumiqo
