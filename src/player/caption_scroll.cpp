#include "player/caption_scroll.h"

#include <cmath>

namespace lumiqo {

double captionTick(CaptionScroll &scroll, double boxWidth, double textWidth, double paddedWidth,
                   double step) {
  if (textWidth <= boxWidth)
    return (boxWidth - paddedWidth) / 2;
  if (scroll.scroll_back) {
    scroll.gd_i = static_cast<int>(std::nearbyint(scroll.gd_i + step));
    if (scroll.gd_i >= 0)
      scroll.scroll_back = false;
  } else {
    scroll.gd_i = static_cast<int>(std::nearbyint(scroll.gd_i - step));
    if (boxWidth - paddedWidth >= scroll.gd_i)
      scroll.scroll_back = true;
  }
  return scroll.gd_i;
}

} // namespace lumiqo
