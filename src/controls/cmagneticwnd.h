#pragma once
// cMagneticWnd: the docking of the player's top-level windows. A window being dragged or
// resized snaps to the work area's edges and to the other registered windows within
// SnapWidth pixels; a window with a parent that lies flush against it (or against a glued
// sibling) is glued and travels with the parent.
//
// This class is the geometry alone: rectangles in, a rectangle and the glued windows' new
// positions out. It reads the windows through a Platform and never touches a screen.
// The phases map onto the windows' own move and size loop (WindowDragLoop):
//   enter size/move  -> EnterSizeMove, when a left press arms the loop on a drag area or grip;
//   moving           -> Moving, on every mouse move of a drag: the cursor gives the proposed
//                       rectangle, Moving rewrites it and names where the glued windows go;
//                       the loop moves the window and them in the same event-loop turn;
//   sizing           -> Sizing, on every mouse move of a grip drag;
//   exit size/move   -> ExitSizeMove, on release or when the window loses the mouse;
//   command, system command (minimise, restore) -> Command, SysCommand.
// "Subclassing" a window means attaching the docking object to that window's loop.

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

namespace lumiqo {

class cMagneticWnd {
public:
  // An opaque window handle; 0 is no window.
  using WindowId = std::uintptr_t;

  // Screen pixels; right and bottom are exclusive.
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    static Rect fromQRect(const QRect &r) {
      return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    QRect toQRect() const { return {left, top, width(), height()}; }
    friend bool operator==(const Rect &, const Rect &) = default;
  };

  // What the docking object reads from, and does to, the windows it is given.
  class Platform {
  public:
    virtual bool IsLive(WindowId window) const = 0;
    virtual Rect WindowRect(WindowId window) const = 0;
    virtual bool IsMaximised(WindowId window) const = 0;
    // The work area of the screen the window is on.
    virtual Rect WorkArea(WindowId window) const = 0;
    // Start and stop delivering the window's move and size phases to this object.
    virtual void Subclass(WindowId window) = 0;
    virtual void Unsubclass(WindowId window) = 0;

  protected:
    ~Platform() = default;
  };

  // Where a glued window goes: its new top-left; its size does not change.
  struct Placement {
    WindowId window;
    QPoint topLeft;
    friend bool operator==(const Placement &, const Placement &) = default;
  };
  struct MoveResult {
    Rect rect;
    std::vector<Placement> glued;
  };

  // Sizing edge codes: which edges of the window the drag moves.
  enum Edge { Left = 1, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };
  // System commands that make the glue be recomputed.
  static constexpr unsigned kScMinimize = 0xF020;
  static constexpr unsigned kScRestore = 0xF120;

  explicit cMagneticWnd(Platform &platform);
  ~cMagneticWnd();
  cMagneticWnd(const cMagneticWnd &) = delete;
  cMagneticWnd &operator=(const cMagneticWnd &) = delete;

  // Registers a window with its parent for gluing (0 for none). False for a window already
  // registered, a dead window, or a dead non-zero parent.
  bool AddWindow(WindowId window, WindowId parent = 0);
  // False when the window is not registered. Windows that had it as parent lose their parent.
  bool RemoveWindow(WindowId window);
  // Recomputes every glued flag from the windows' current rectangles.
  void CheckGlueing();

  int SnapWidth() const { return snapWidth_; }
  void setSnapWidth(int pixels) { snapWidth_ = pixels; }

  // Touching or overlapping, with at least one edge coordinate in common.
  static bool AreGlued(const Rect &a, const Rect &b);

  // The phases of one move or size of `window`. The cursor is in screen pixels.
  void EnterSizeMove(WindowId window, QPoint cursor);
  MoveResult Moving(WindowId window, const Rect &proposed, QPoint cursor);
  Rect Sizing(WindowId window, int edge, const Rect &proposed) const;
  void ExitSizeMove() { CheckGlueing(); }
  void Command() { CheckGlueing(); }
  void SysCommand(unsigned command);

  int WindowCount() const { return static_cast<int>(records_.size()) - 1; }
  bool IsRegistered(WindowId window) const { return slotOf(window) > 0; }
  bool IsGlued(WindowId window) const;

private:
  struct Record {
    WindowId window = 0;
    WindowId parent = 0;
    bool glued = false;
  };

  int slotOf(WindowId window) const;
  // The snap tests of one neighbour Q against R, overwriting dx and dy on a match.
  void snapTo(const Rect &r, const Rect &q, int &dx, int &dy) const;

  Platform &platform_;
  std::vector<Record> records_{Record{}}; // slot 0: the sentinel
  std::vector<Rect> rects_{Rect{}};       // slot 0: the work area
  int snapWidth_ = 10;
  QPoint startCursor_;
  QPoint grabOffset_;
};

} // namespace lumiqo
