#pragma once
// The move and size loop of the skinned top-level windows. A window without a frame moves and
// sizes itself: a press on one of its grips arms the loop with the grip's hit code, every
// mouse move turns the cursor into a proposed rectangle (the whole window moved by the cursor's
// travel, or the grip's edges dragged with it, never below the window's minimum size), a hook
// may rewrite that rectangle (the docking group snaps and glues windows there), and the window
// takes it. Rectangles are window geometry in screen pixels.

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace lumiqo {

// The grips' hit codes: the move strip, and the edges and corners that size the window.
enum WindowHitCode : int {
  kHitCaption = 2,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17,
};

inline bool isSizingHit(int hitCode) {
  return hitCode >= kHitLeft && hitCode <= kHitBottomRight;
}

// The sizing edge of a hit code as the docking group numbers edges (1 left, 2 right, 3 top,
// 4 top-left, 5 top-right, 6 bottom, 7 bottom-left, 8 bottom-right); 0 for the move strip.
inline int sizingEdge(int hitCode) {
  return isSizingHit(hitCode) ? hitCode - 9 : 0;
}

// What the docking group plugs into a window's loop. Every call comes on the UI thread.
class WindowDragHook {
public:
  virtual ~WindowDragHook() = default;
  // The loop starts: the window is about to be moved (kHitCaption) or sized (the other codes)
  // from `cursor`.
  virtual void dragStarted(QWidget *window, int hitCode, QPoint cursor) = 0;
  // The rectangle the loop proposes for the cursor at `cursor`; the window takes the result.
  virtual QRect proposeRect(QWidget *window, int hitCode, const QRect &proposed, QPoint cursor) = 0;
  // The button went up: the loop is over.
  virtual void dragEnded(QWidget *window) = 0;
};

class WindowDragLoop {
public:
  explicit WindowDragLoop(QWidget *window) : window_(window) {}

  // The hook is not owned; whoever sets it takes it away (nullptr) before it goes.
  void setHook(WindowDragHook *hook) { hook_ = hook; }
  WindowDragHook *hook() const { return hook_; }

  // Starts the loop for a grip, the cursor being at `cursor` (screen pixels).
  void start(int hitCode, QPoint cursor);
  // The cursor moved: the window takes the rectangle it proposes.
  void moveTo(QPoint cursor);
  // Ends the loop; nothing when none runs.
  void finish();
  bool active() const { return hitCode_ != 0; }

  // The rectangle the cursor at `cursor` proposes, before any hook.
  QRect proposal(QPoint cursor) const;

private:
  QPointer<QWidget> window_;
  WindowDragHook *hook_ = nullptr;
  int hitCode_ = 0;
  QPoint startCursor_;
  QRect startRect_;
};

} // namespace lumiqo
