#include "player/knobs.h"

#include <algorithm>
#include <cmath>

namespace lumiqo {
namespace {
double clampLeft(double left, double lo, double hi) {
  if (left <= lo)
    left = lo;
  if (left >= hi)
    left = hi;
  return left;
}
} // namespace

float volumeFromKnobLeft(double left) {
  const double raw = (left - kVolumeLeftMin) / (kVolumeLeftMax - kVolumeLeftMin);
  // Halves go to the even neighbour, as the original rounding did.
  double v = std::nearbyint(raw * 10.0) / 10.0;
  v = std::clamp(v, 0.0, 1.0);
  return static_cast<float>(v);
}

VolumeDrag dragVolumeKnob(double left, double dragX, double x) {
  VolumeDrag out{left, std::nullopt};
  if (left >= kVolumeLeftMin && left <= kVolumeLeftMax) {
    out.left = left - dragX + x;
    out.volume = volumeFromKnobLeft(out.left);
  }
  out.left = clampLeft(out.left, kVolumeLeftMin, kVolumeLeftMax);
  return out;
}

VolumeClick clickVolumeTrack(double x, double trackLeft, double trackWidth, double knobWidth) {
  double p = trackLeft + x;
  if (p > trackLeft + trackWidth - knobWidth)
    p -= knobWidth;
  return {p, volumeFromKnobLeft(p)};
}

double dragSeekKnob(double left, double dragX, double x) {
  if (left >= kSeekLeftMin && left <= kSeekLeftMax)
    left = left - dragX + x;
  return clampLeft(left, kSeekLeftMin, kSeekLeftMax);
}

std::optional<double> seekKnobLeftFor(double positionSecs, double songSecs) {
  if (songSecs == 0)
    return std::nullopt;
  return kSeekLeftMin + kSeekSpan * (positionSecs / songSecs);
}

} // namespace lumiqo
