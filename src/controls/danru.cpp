#include "controls/danru.h"

#include <algorithm>
#include <limits>

namespace lumiqo {

danru::danru(QObject *parent) : QObject(parent) {
  Timer1.setInterval(kTickIntervalMs);
  connect(&Timer1, &QTimer::timeout, this, &danru::Timer1_Timer);
}

void danru::begin(QWidget *hWnd, std::uint32_t Color, std::int32_t Min, std::int32_t Max, std::int32_t step) {
  window_ = hWnd ? hWnd->window() : nullptr;
  color_ = Color;
  start_ = Min;
  end_ = Max;
  step_ = step;
  current_ = start_;
  if (!Timer1.isActive())
    Timer1.start();
}

void danru::Timer1_Timer() {
  const int alpha = std::clamp(current_, 0, 255);
  if (window_)
    window_->setWindowOpacity(alpha / 255.0);
  if ((step_ > 0 && current_ >= end_) || (step_ < 0 && current_ <= end_))
    Timer1.stop();
  // The value runs on past the end (a step of 0 never ends; a huge step overshoots); it stays
  // within 32 bits instead of wrapping round.
  const std::int64_t next = std::int64_t{current_} + step_;
  current_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(
      next, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
  // The event comes last: its handler may start another fade, which then begins at its own
  // start, or unload the window that owns this control.
  emit FadeStep(alpha);
}

} // namespace lumiqo
