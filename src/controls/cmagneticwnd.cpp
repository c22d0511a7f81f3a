#include "controls/cmagneticwnd.h"

#include <algorithm>
#include <cstdlib>

namespace lumiqo {

cMagneticWnd::cMagneticWnd(Platform &platform) : platform_(platform) {}

cMagneticWnd::~cMagneticWnd() {
  // The last registered is released first.
  for (auto i = records_.size() - 1; i > 0; --i)
    platform_.Unsubclass(records_[i].window);
}

int cMagneticWnd::slotOf(WindowId window) const {
  if (window == 0)
    return 0;
  for (std::size_t i = 1; i < records_.size(); ++i)
    if (records_[i].window == window)
      return static_cast<int>(i);
  return 0;
}

bool cMagneticWnd::IsGlued(WindowId window) const {
  const int i = slotOf(window);
  return i > 0 && records_[i].glued;
}

bool cMagneticWnd::AddWindow(WindowId window, WindowId parent) {
  if (slotOf(window) > 0)
    return false;
  if (window == 0 || !platform_.IsLive(window) || (parent != 0 && !platform_.IsLive(parent)))
    return false;
  records_.push_back({window, parent, false});
  rects_.emplace_back();
  CheckGlueing();
  platform_.Subclass(window);
  return true;
}

bool cMagneticWnd::RemoveWindow(WindowId window) {
  const int i = slotOf(window);
  if (i == 0)
    return false;
  records_.erase(records_.begin() + i);
  rects_.erase(rects_.begin() + i);
  for (auto &record : records_)
    if (record.parent == window)
      record.parent = 0;
  platform_.Unsubclass(window);
  CheckGlueing();
  return true;
}

void cMagneticWnd::CheckGlueing() {
  const std::size_t n = records_.size() - 1;
  for (std::size_t i = 1; i <= n; ++i) {
    rects_[i] = platform_.WindowRect(records_[i].window);
    records_[i].glued = false;
  }
  for (std::size_t j = 1; j <= n; ++j)
    if (records_[j].parent != 0)
      records_[j].glued = AreGlued(rects_[slotOf(records_[j].parent)], rects_[j]);
  // Siblings flush against a glued sibling are glued too, transitively.
  for (std::size_t pass = 0; pass < n; ++pass)
    for (std::size_t l = 1; l <= n; ++l) {
      if (!records_[l].glued)
        continue;
      for (std::size_t m = 1; m <= n; ++m)
        if (m != l && records_[m].parent == records_[l].parent && !records_[m].glued)
          records_[m].glued = AreGlued(rects_[l], rects_[m]);
    }
}

bool cMagneticWnd::AreGlued(const Rect &a, const Rect &b) {
  const int unionWidth = std::max(a.right, b.right) - std::min(a.left, b.left);
  const int unionHeight = std::max(a.bottom, b.bottom) - std::min(a.top, b.top);
  if (unionWidth > a.width() + b.width() || unionHeight > a.height() + b.height())
    return false;
  return a.left == b.left || a.left == b.right || a.right == b.left || a.right == b.right || a.top == b.top ||
         a.top == b.bottom || a.bottom == b.top || a.bottom == b.bottom;
}

void cMagneticWnd::EnterSizeMove(WindowId window, QPoint cursor) {
  rects_[0] = platform_.WorkArea(window);
  for (std::size_t i = 1; i < records_.size(); ++i) {
    const WindowId w = records_[i].window;
    rects_[i] = platform_.IsMaximised(w) ? platform_.WorkArea(w) : platform_.WindowRect(w);
    if (w == window) {
      startCursor_ = cursor;
      grabOffset_ = QPoint(rects_[i].left - cursor.x(), rects_[i].top - cursor.y());
    }
  }
}

void cMagneticWnd::snapTo(const Rect &r, const Rect &q, int &dx, int &dy) const {
  const int s = snapWidth_;
  auto near = [s](int a, int b) { return std::abs(a - b) < s; };
  if (r.top < q.bottom + s && r.bottom > q.top - s) {
    if (near(r.left, q.left))
      dx = q.left - r.left;
    else if (near(r.left, q.right))
      dx = q.right - r.left;
    else if (near(r.right, q.left))
      dx = q.left - r.right;
    else if (near(r.right, q.right))
      dx = q.right - r.right;
  }
  if (r.left < q.right + s && r.right > q.left - s) {
    if (near(r.top, q.top))
      dy = q.top - r.top;
    else if (near(r.top, q.bottom))
      dy = q.bottom - r.top;
    else if (near(r.bottom, q.top))
      dy = q.top - r.bottom;
    else if (near(r.bottom, q.bottom))
      dy = q.bottom - r.bottom;
  }
}

cMagneticWnd::MoveResult cMagneticWnd::Moving(WindowId window, const Rect &proposed, QPoint cursor) {
  const int w = slotOf(window);
  if (w == 0)
    return {proposed, {}};
  // Each step starts again from the cursor, so a snap never accumulates.
  const int left = cursor.x() + grabOffset_.x(), top = cursor.y() + grabOffset_.y();
  Rect r = proposed.translated(left - proposed.left, top - proposed.top);

  const std::size_t n = records_.size() - 1;
  auto followsW = [&](std::size_t i) { return records_[i].glued && records_[i].parent == window; };
  int dx = 0, dy = 0;
  for (std::size_t i = 0; i <= n; ++i)
    if (records_[i].window != window && !followsW(i))
      snapTo(r, rects_[i], dx, dy);
  // A glued window's snap overrides the dragged window's own.
  const QPoint travel = cursor - startCursor_;
  for (std::size_t i = 1; i <= n; ++i) {
    if (!followsW(i))
      continue;
    const Rect g = rects_[i].translated(travel.x(), travel.y());
    for (std::size_t u = 0; u <= n; ++u)
      if (u != i && !records_[u].glued && records_[u].window != window)
        snapTo(g, rects_[u], dx, dy);
  }
  r = r.translated(dx, dy);

  MoveResult result{r, {}};
  const Rect &from = rects_[w];
  for (std::size_t i = 1; i <= n; ++i)
    if (followsW(i))
      result.glued.push_back({records_[i].window, QPoint(rects_[i].left - (from.left - r.left),
                                                         rects_[i].top - (from.top - r.top))});
  return result;
}

cMagneticWnd::Rect cMagneticWnd::Sizing(WindowId window, int edge, const Rect &proposed) const {
  const bool leftMoves = edge == Left || edge == TopLeft || edge == BottomLeft;
  const bool rightMoves = edge == Right || edge == TopRight || edge == BottomRight;
  const bool topMoves = edge == Top || edge == TopLeft || edge == TopRight;
  const bool bottomMoves = edge == Bottom || edge == BottomLeft || edge == BottomRight;
  const int s = snapWidth_;
  // The moving edge, proposed at `from`, goes to a or else b when within the snap width.
  auto snapEdge = [s](int from, int &edge, int a, int b) {
    if (std::abs(from - a) < s)
      edge = a;
    else if (std::abs(from - b) < s)
      edge = b;
  };
  const Rect o = proposed;
  Rect r = proposed;
  for (std::size_t i = 0; i < records_.size(); ++i) {
    if (i > 0 && records_[i].window == window)
      continue;
    const Rect &q = rects_[i];
    if (r.top < q.bottom + s && r.bottom > q.top - s) {
      if (leftMoves)
        snapEdge(o.left, r.left, q.left, q.right);
      else if (rightMoves)
        snapEdge(o.right, r.right, q.left, q.right);
    }
    if (r.left < q.right + s && r.right > q.left - s) {
      if (topMoves)
        snapEdge(o.top, r.top, q.top, q.bottom);
      else if (bottomMoves)
        snapEdge(o.bottom, r.bottom, q.top, q.bottom);
    }
  }
  return r;
}

void cMagneticWnd::SysCommand(unsigned command) {
  if (command == kScRestore || command == kScMinimize)
    CheckGlueing();
}

} // namespace lumiqo
