#pragma once
// The scroll bar's layout: where its arrows, tracks, thumb and filler lie for a client size,
// and the arithmetic between the thumb's position and the value. Positions "along" the bar are
// y on a vertical bar and x on a horizontal one; every part spans the bar's full width across.

#include <QPoint>
#include <QRect>
#include <QSize>

namespace lumiqo {

// Part codes, in the order hit testing checks them.
enum ScrollbarPart {
  kNoPart = 0,
  kFirstArrow = 1,
  kSecondArrow = 2,
  kFirstTrack = 3,
  kSecondTrack = 4,
  kThumb = 5,
};

class ScrollbarGeometry {
public:
  // Arrow buttons are this long along the bar when shown.
  static constexpr int kButtonLength = 18;
  // The thumb is never shorter than this.
  static constexpr int kMinThumb = 8;
  // How far the pointer may stray from the bar while dragging the thumb before it snaps back.
  static constexpr int kDragAcross = 250;
  static constexpr int kDragAlong = 25;

  // Places the arrows (and says whether there is room for a track) for a client size. The
  // thumb is placed by the two calls below.
  void layout(QSize client, bool vertical, bool showButtons);
  // Thumb length: the track length divided by (range div largeChange + 1), at least kMinThumb.
  void sizeThumb(qint64 range, qint64 largeChange);
  // The thumb's leading edge for a value.
  int positionFor(qint64 value, qint64 min, qint64 range) const;
  // The value for a thumb's leading edge; min when the thumb fills the track.
  qint64 valueAt(int position, qint64 min, qint64 range) const;
  // Moves the thumb (and the two track pieces beside it) to a leading edge.
  void placeThumb(int position);

  int hitTest(QPoint p) const;
  int along(QPoint p) const { return vertical_ ? p.y() : p.x(); }
  bool inDragArea(QPoint p) const { return dragArea_.contains(p); }

  // The first arrow's trailing edge and the second arrow's leading edge: the track between.
  int trackStart() const { return firstEnd_; }
  int trackEnd() const { return secondStart_; }
  int trackLength() const { return secondStart_ - firstEnd_; }
  int thumbSize() const { return thumbSize_; }
  int thumbPosition() const { return thumbPos_; }
  bool hasTrack() const { return hasTrack_; }
  bool fillMiddle() const { return fillMiddle_; }
  bool vertical() const { return vertical_; }

  QRect part(int code) const;
  QRect filler() const { return filler_; }

private:
  // A band [from, to) along the bar, spanning the width.
  QRect band(int from, int to) const;

  bool vertical_ = true;
  int across_ = 0;
  bool hasTrack_ = false;
  bool fillMiddle_ = false;
  int firstEnd_ = 0;
  int secondStart_ = 0;
  int thumbSize_ = kMinThumb;
  int thumbPos_ = 0;
  QRect firstArrow_, secondArrow_, firstTrack_, secondTrack_, thumb_, filler_, dragArea_;
};

} // namespace lumiqo
