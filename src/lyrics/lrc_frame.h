#pragma once
// What one tick of the lyrics view shows: the scroll offset, the fading colours and where
// each line goes. Positions are twips, times hundredths of a second, colours 0x00BBGGRR.

#include "lyrics/lrc_timeline.h"

#include <cstdint>
#include <vector>

namespace lumiqo {

inline constexpr float kLrcRowTwips = 270; // one row of lyrics

// Colour arithmetic on three 16-bit channels. scale: each channel times the factor, rounded
// halves to even, 0 when it leaves the 16-bit range. add: channel-wise sums. Both join their
// result: a channel above 255 counts as 255, and any negative channel makes the colour black.
std::uint32_t scaleColour(std::uint32_t colour, float factor);
std::uint32_t addColours(std::uint32_t a, std::uint32_t b);

struct LrcFrame {
  LinePlace place;
  float offset = 0; // r / d * 270 - 120: from 150 at a line's start to -120 at its end
  float fade = 0;   // e / d * 10
  std::uint32_t previousColour = 0;
  std::uint32_t currentColour = 0;
};

LrcFrame computeFrame(const std::vector<LyricLine> &lines, float position, std::uint32_t foreColor,
                      std::uint32_t lrcColor);

// A tick redraws only when the colour moved by a step of 100 or the block by a pixel.
bool frameChanged(float lastOffset, std::uint32_t lastColour, float offset, std::uint32_t colour);

struct PlacedLine {
  int index = 0; // into the timeline
  float top = 0; // twips
  std::uint32_t colour = 0;
  friend bool operator==(const PlacedLine &, const PlacedLine &) = default;
};

// The lines to draw, in drawing order, for a surface `height` twips high whose text is
// `textHeight` twips high. A two-entry timeline shows its current line alone, centred, in
// `lrcColor`.
std::vector<PlacedLine> layoutFrame(const LrcFrame &frame, int lastIndex, float height, float textHeight,
                                    std::uint32_t foreColor, std::uint32_t lrcColor);

} // namespace lumiqo
