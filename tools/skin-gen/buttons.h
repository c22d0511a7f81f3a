#pragma once
// Round glyph buttons and their four-frame strips: 0 normal, 1 pointer over it (gold rim and
// glow), 2 pressed (sunken, glyph one pixel down and right), 3 pointer has left (normal with a
// fading gold rim). Every frame is opaque and starts from the pixels behind the button.

#include <QImage>
#include <QRect>

class QPainter;

namespace skingen {

enum class Glyph { Play, Pause, Stop, Next, Prev, Lyric, Playlist, Close, Minimize };

// A strip of four frames for the button at logical rectangle `rect` of `background` (a picture
// at `scale`), frames side by side.
QImage buttonStrip(const QImage &background, QRect rect, Glyph glyph, int scale);

// Copies frame 0 of `strip` onto `picture` at the button's logical rectangle.
void placeNormalFrame(QImage &picture, const QImage &strip, QRect rect, int scale);

// The glyph alone, centred on `centre`, `size` logical pixels across.
void drawGlyph(QPainter &p, Glyph glyph, QPointF centre, double size, const QColor &ink);

} // namespace skingen
