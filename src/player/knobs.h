#pragma once
// The arithmetic of the volume and seek knobs, in twips relative to the main window. The
// knob widgets call these with the knob's current left and the mouse position (relative to
// the knob or the track, converted to twips) and apply the result.

#include <optional>

namespace lumiqo {

inline constexpr double kKnobWidth = 150;

inline constexpr double kVolumeLeftMin = 5880;
inline constexpr double kVolumeLeftMax = 6495;
inline constexpr double kVolumeTrackLeft = 5880;
inline constexpr double kVolumeTrackWidth = 750;

inline constexpr double kSeekLeftMin = 2505;
inline constexpr double kSeekLeftMax = 4500;
// The seek knob runs over this span while a song plays: 2505 at its start, 4545 at its end.
inline constexpr double kSeekSpan = 2040;

// (left - 5880) / (6495 - 5880), rounded to one decimal place, clamped to 0..1.
float volumeFromKnobLeft(double left);

struct VolumeDrag {
  double left;                 // the knob's new left
  std::optional<float> volume; // set when the engine's volume changes
};

// A move with the left button down over the volume knob: the knob follows the mouse only
// while it lies within its range, and is then held within the range.
VolumeDrag dragVolumeKnob(double left, double dragX, double x);

struct VolumeClick {
  double left;
  float volume;
};

// A press on the volume track at x (relative to the track). The knob is not held in range.
VolumeClick clickVolumeTrack(double x, double trackLeft = kVolumeTrackLeft,
                             double trackWidth = kVolumeTrackWidth, double knobWidth = kKnobWidth);

// A move with the left button down over the seek knob. The playing position is not touched.
double dragSeekKnob(double left, double dragX, double x);

// Where the seek knob stands for a playing position; nothing when the length is 0.
std::optional<double> seekKnobLeftFor(double positionSecs, double songSecs);

} // namespace lumiqo
