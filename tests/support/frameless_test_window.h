#pragma once
// A plain frameless top-level window that moves like the player's skinned windows: a left
// press on the background drags it, a press within kGrip pixels of an edge or corner sizes it
// through that grip. Used by the docking tests and the docking demo.

#include "controls/window_drag_loop.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace lumiqo {

class FramelessTestWindow : public QWidget {
public:
  static constexpr int kGrip = 6;

  FramelessTestWindow(const QString &title, QColor colour, QRect geometry)
      : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), colour_(colour) {
    setWindowTitle(title);
    setMinimumSize(60, 40);
    setGeometry(geometry);
  }

  WindowDragLoop *loop() { return WindowDragLoop::of(this); }

  // The hit code of a point in the window: a grip near the edges, else the drag area.
  int hitCode(QPoint pos) const {
    const bool left = pos.x() < kGrip, right = pos.x() >= width() - kGrip;
    const bool top = pos.y() < kGrip, bottom = pos.y() >= height() - kGrip;
    using L = WindowDragLoop;
    if (top)
      return left ? L::TopLeft : right ? L::TopRight : L::Top;
    if (bottom)
      return left ? L::BottomLeft : right ? L::BottomRight : L::Bottom;
    return left ? L::Left : right ? L::Right : L::Caption;
  }

protected:
  void mousePressEvent(QMouseEvent *e) override {
    loop()->pressed(hitCode(e->position().toPoint()), e->globalPosition().toPoint(), e->button());
  }
  void mouseMoveEvent(QMouseEvent *e) override { loop()->moved(e->globalPosition().toPoint()); }
  void mouseReleaseEvent(QMouseEvent *e) override {
    if (e->button() == Qt::LeftButton)
      loop()->released();
  }
  void paintEvent(QPaintEvent *) override {
    QPainter p(this);
    p.fillRect(rect(), colour_);
    p.drawText(rect(), Qt::AlignCenter, windowTitle());
  }

private:
  QColor colour_;
};

} // namespace lumiqo
