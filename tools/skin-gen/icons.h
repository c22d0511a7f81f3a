#pragma once
// Small pictures with alpha: the playing-row icon, the application mark (tray, window and
// desktop icons) and the hand cursor.

#include <QImage>

namespace skingen {

QImage playIcon(int scale);   // 12 x 12 green triangle pointing right
QImage appMark(int pixels);   // gold play triangle in a dark disc, any size
QImage handCursor(int scale); // 32 x 32, hot spot (6, 0) at the fingertip

} // namespace skingen
