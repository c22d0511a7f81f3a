#pragma once
// WindowDragLoop: moves or resizes a frameless top-level window with the mouse. The window
// hands it a left press on a drag area or on one of its eight sizing grips, then every mouse
// move, then the release:
//
//   loop->pressed(WindowDragLoop::Caption, event->globalPosition().toPoint());
//   loop->moved(event->globalPosition().toPoint());
//   loop->released();
//
// The widget that took the press (the window or a child of it) calls these: Qt sends it the
// moves and the release while the button is down, wherever the cursor goes.
//
// Each move gives a proposed frame rectangle from the cursor, kept within the window's
// minimum and maximum size; a hook (the docking object) may rewrite it and name other windows
// that travel along. The window and those windows move in the same event-loop turn. The loop
// ends on the release, or when the window is hidden, blocked by a modal window or loses the
// activation while the button is down.

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <utility>
#include <vector>

class QWidget;

namespace lumiqo {

class WindowDragHook {
public:
  struct Follower {
    QWidget *window;
    QPoint topLeft; // its new frame position; its size stays
  };
  struct Step {
    QRect frame;
    std::vector<Follower> followers;
  };
  struct Placed {
    QWidget *window;
    QRect frame;
  };
  virtual void dragEntered(QWidget *window, int hitCode, QPoint cursor) = 0;
  virtual Step dragStep(QWidget *window, int hitCode, const QRect &proposed, QPoint cursor) = 0;
  // `placed`: the frames the loop last gave the windows it moved (none after a mere click).
  // On X11 a window's geometry catches up only when the server confirms each move, so right
  // after the release it may still read as an earlier step's; these frames are the truth.
  virtual void dragExited(QWidget *window, const std::vector<Placed> &placed) = 0;

protected:
  ~WindowDragHook() = default;
};

class WindowDragLoop : public QObject {
  Q_OBJECT
public:
  // Hit codes: where the press landed.
  enum HitCode {
    Caption = 2,
    Left = 10,
    Right,
    Top,
    TopLeft,
    TopRight,
    Bottom,
    BottomLeft,
    BottomRight,
  };

  // The loop of `window` (a top-level widget), made on first use; it lives as the window's child.
  static WindowDragLoop *of(QWidget *window);

  // Arms the loop. False (and nothing happens) for another button, another hit code, a
  // maximised or full-screen window, or while a drag is already running.
  bool pressed(int hitCode, QPoint globalPos, Qt::MouseButton button = Qt::LeftButton);
  void moved(QPoint globalPos);
  void released();

  bool isActive() const { return hitCode_ != 0; }
  QWidget *window() const { return window_; }
  WindowDragHook *hook() const { return hook_; }
  void setHook(WindowDragHook *hook) { hook_ = hook; }

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  explicit WindowDragLoop(QWidget *window);
  QRect proposedFrame(QPoint cursor) const;
  QRect withinSizeLimits(QRect frame) const;
  void apply(const WindowDragHook::Step &step);
  void end();

  QWidget *window_;
  WindowDragHook *hook_ = nullptr;
  int hitCode_ = 0;
  QPoint startCursor_;
  QRect startFrame_;
  QMargins frameMargins_; // frame minus client area, taken at the press
  std::vector<std::pair<QPointer<QWidget>, QRect>> placed_;
};

} // namespace lumiqo
