#include "lyrics/lrc_frame.h"

#include <algorithm>
#include <cmath>

namespace lumiqo {

namespace {

struct Channels {
  std::int32_t red, green, blue;
};

Channels split(std::uint32_t colour) {
  return {static_cast<std::int32_t>(colour & 0xFF), static_cast<std::int32_t>((colour / 256) & 0xFF),
          static_cast<std::int32_t>(colour / 65536)};
}

std::uint32_t join(Channels c) {
  if (c.red < 0 || c.green < 0 || c.blue < 0)
    return 0;
  const auto limit = [](std::int32_t v) { return static_cast<std::uint32_t>(std::min(v, 255)); };
  return limit(c.red) + limit(c.green) * 256 + limit(c.blue) * 65536;
}

std::int32_t scaleChannel(std::int32_t channel, float factor) {
  const float product = std::nearbyint(static_cast<float>(channel) * factor);
  if (!(product >= -32768.0f && product <= 32767.0f))
    return 0;
  return static_cast<std::int32_t>(product);
}

int roundHalfEven(double v) {
  return static_cast<int>(std::nearbyint(v));
}

} // namespace

std::uint32_t scaleColour(std::uint32_t colour, float factor) {
  const Channels c = split(colour);
  return join({scaleChannel(c.red, factor), scaleChannel(c.green, factor), scaleChannel(c.blue, factor)});
}

std::uint32_t addColours(std::uint32_t a, std::uint32_t b) {
  const Channels x = split(a);
  const Channels y = split(b);
  return join({x.red + y.red, x.green + y.green, x.blue + y.blue});
}

LrcFrame computeFrame(const std::vector<LyricLine> &lines, float position, std::uint32_t foreColor,
                      std::uint32_t lrcColor) {
  LrcFrame f;
  f.place = findLine(lines, position);
  f.offset = f.place.r / f.place.d * kLrcRowTwips - 120.0f;
  f.fade = f.place.e / f.place.d * 10.0f;
  f.previousColour = addColours(scaleColour(lrcColor, 1.0f - f.fade), foreColor);
  f.currentColour = addColours(scaleColour(lrcColor, f.fade), foreColor);
  return f;
}

bool frameChanged(float lastOffset, std::uint32_t lastColour, float offset, std::uint32_t colour) {
  return lastColour / 100 != colour / 100 || std::floor(lastOffset / 15.0f) != std::floor(offset / 15.0f);
}

std::vector<PlacedLine> layoutFrame(const LrcFrame &frame, int lastIndex, float height, float textHeight,
                                    std::uint32_t foreColor, std::uint32_t lrcColor) {
  const float y0 = (height - textHeight) / 2;
  const int c = frame.place.c;
  if (lastIndex == 1)
    return {{c, y0, lrcColor}};

  std::vector<PlacedLine> placed;
  placed.push_back({c, y0 + frame.offset, frame.currentColour});
  placed.push_back({frame.place.q, y0 - kLrcRowTwips + frame.offset, frame.previousColour});
  const int lo = std::max(roundHalfEven(c - height / kLrcRowTwips), 0);
  float top = y0 - 2 * kLrcRowTwips + frame.offset;
  for (int j = std::max(c - 2, 0); j >= lo; --j, top -= kLrcRowTwips)
    placed.push_back({j, top, foreColor});
  const int hi = std::min(roundHalfEven(height / kLrcRowTwips + c), lastIndex);
  top = y0 + kLrcRowTwips + frame.offset;
  for (int m = c + 1; m <= hi; ++m, top += kLrcRowTwips)
    placed.push_back({m, top, foreColor});
  return placed;
}

} // namespace lumiqo
