#pragma once
// The elapsed-time cells of the display: gold seven-segment digits with their unlit segments
// faintly visible, and the colon. Every cell is drawn on the display's flat background with
// coverage rounded to 16 steps, so a cell never holds more than 256 colours (it is stored as GIF).

#include <QImage>

namespace skingen {

inline constexpr int kBlankCell = -1; // all segments unlit
inline constexpr int kColonCell = 10;

// The 15 x 21 cell (times `scale`) for a digit 0..9, kBlankCell or kColonCell.
QImage lcdCell(int symbol, int scale);

} // namespace skingen
