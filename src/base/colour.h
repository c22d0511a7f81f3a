#pragma once
// Colours are 24-bit values with red in the low byte (0x00BBGGRR).

#include <QColor>
#include <cstdint>

namespace lumiqo {

constexpr std::uint32_t RGB(int r, int g, int b) {
  return static_cast<std::uint32_t>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(std::uint32_t c) {
  return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(std::uint32_t c) {
  return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(std::uint32_t c) {
  return static_cast<int>((c >> 16) & 0xFF);
}

inline QColor toQColor(std::uint32_t c) {
  return QColor(redOf(c), greenOf(c), blueOf(c));
}
inline std::uint32_t fromQColor(const QColor &c) {
  return RGB(c.red(), c.green(), c.blue());
}

// Pure red: the colour key of the layered windows. Pure magenta: the transparency key of
// the drawing surfaces.
inline constexpr std::uint32_t kColourKey = RGB(255, 0, 0);
inline constexpr std::uint32_t kMagentaKey = RGB(255, 0, 255);

// The skin's one accent: the gold of its rims and highlights (menus, the focus ring).
inline constexpr std::uint32_t kAccentColour = RGB(214, 190, 80);

} // namespace lumiqo
