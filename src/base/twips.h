#pragma once
// Window layout is given in twips: 1440 per logical inch, 15 per device-independent pixel.

namespace lumiqo {

inline constexpr int kTwipsPerPixel = 15;

// Rounds to the nearest pixel (halves away from zero).
constexpr int twipsToPixels(int twips) {
  return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                    : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

constexpr int pixelsToTwips(int pixels) {
  return pixels * kTwipsPerPixel;
}

} // namespace lumiqo
