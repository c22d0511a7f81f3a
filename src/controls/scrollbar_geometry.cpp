#include "controls/scrollbar_geometry.h"

#include "controls/round_half_even.h"

#include <algorithm>

namespace lumiqo {

QRect ScrollbarGeometry::band(int from, int to) const {
  const int length = std::max(0, to - from);
  return vertical_ ? QRect(0, from, across_, length) : QRect(from, 0, length, across_);
}

void ScrollbarGeometry::layout(QSize client, bool vertical, bool showButtons) {
  vertical_ = vertical;
  const int l = std::max(0, vertical ? client.height() : client.width());
  across_ = std::max(0, vertical ? client.width() : client.height());
  const int b = showButtons ? kButtonLength : 0;
  hasTrack_ = false;
  fillMiddle_ = false;
  filler_ = QRect();
  if (l >= 2 * b + 8) {
    hasTrack_ = true;
    firstEnd_ = b;
    secondStart_ = l - b;
  } else if (l > 2 * b) {
    firstEnd_ = b;
    secondStart_ = l - b;
    fillMiddle_ = true;
    filler_ = band(b, l - b);
  } else {
    firstEnd_ = l / 2;
    secondStart_ = l / 2 + l % 2;
    if (l % 2 == 1) {
      fillMiddle_ = true;
      filler_ = band(l / 2, l / 2 + 1);
    }
  }
  firstArrow_ = band(0, firstEnd_);
  secondArrow_ = band(secondStart_, l);
  const QRect client0(QPoint(0, 0), client);
  dragArea_ = vertical ? client0.adjusted(-kDragAcross, -kDragAlong, kDragAcross, kDragAlong)
                       : client0.adjusted(-kDragAlong, -kDragAcross, kDragAlong, kDragAcross);
}

void ScrollbarGeometry::sizeThumb(qint64 range, qint64 largeChange) {
  qint64 size = 0;
  if (largeChange != 0) {
    const qint64 divisor = range / largeChange + 1;
    if (divisor != 0)
      size = trackLength() / divisor;
  }
  thumbSize_ = static_cast<int>(std::max<qint64>(size, kMinThumb));
}

int ScrollbarGeometry::positionFor(qint64 value, qint64 min, qint64 range) const {
  if (range == 0)
    return firstEnd_;
  const double offset = static_cast<double>(trackLength() - thumbSize_) / static_cast<double>(range) *
                        static_cast<double>(value - min);
  return firstEnd_ + roundHalfEven(offset);
}

qint64 ScrollbarGeometry::valueAt(int position, qint64 min, qint64 range) const {
  const int span = trackLength() - thumbSize_;
  if (span == 0)
    return min;
  const double value = static_cast<double>(min) +
                       static_cast<double>(position - firstEnd_) / span * static_cast<double>(range);
  return roundHalfEven(value);
}

void ScrollbarGeometry::placeThumb(int position) {
  thumbPos_ = position;
  if (!hasTrack_) {
    firstTrack_ = secondTrack_ = thumb_ = QRect();
    return;
  }
  firstTrack_ = band(firstEnd_, position);
  thumb_ = band(position, position + thumbSize_);
  secondTrack_ = band(position + thumbSize_, secondStart_);
}

QRect ScrollbarGeometry::part(int code) const {
  switch (code) {
  case kFirstArrow: return firstArrow_;
  case kSecondArrow: return secondArrow_;
  case kFirstTrack: return firstTrack_;
  case kSecondTrack: return secondTrack_;
  case kThumb: return thumb_;
  default: return {};
  }
}

int ScrollbarGeometry::hitTest(QPoint p) const {
  for (int code = kFirstArrow; code <= kThumb; ++code)
    if (part(code).contains(p))
      return code;
  return kNoPart;
}

} // namespace lumiqo
