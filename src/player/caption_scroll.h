#pragma once
// The scrolling caption `gd_show`: where the caption is printed on each 50 ms tick. All
// widths and positions in twips.

namespace lumiqo {

struct CaptionScroll {
  int gd_i = 0;             // horizontal offset of the caption
  bool scroll_back = false; // moving right
};

// One tick. `textWidth` is the width of the caption text, `paddedWidth` that of the text
// with a space on either side (what is printed), `step` one pixel in twips. A caption that
// fits stands still, centred; a longer one moves left until its right end meets the box's
// right edge, then right until its left end is back at 0. Returns the x to print at.
double captionTick(CaptionScroll &scroll, double boxWidth, double textWidth, double paddedWidth, double step);

} // namespace lumiqo
