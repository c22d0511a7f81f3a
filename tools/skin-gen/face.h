#pragma once
// The main window's face: a round control disc on the left joined to a panel with an inset
// display, and the pictures laid on it (track groove, knob, the buttons' strips).

#include "buttons.h"

#include <QImage>
#include <QList>
#include <QString>

namespace skingen {

// The groove shown stretched as the volume and seek tracks: every column alike.
QImage trackPicture(int scale);
// The knob that slides on both tracks.
QImage knobPicture(int scale);

struct FaceButton {
  QString file; // its strip in the skin folder, without extension
  QRect rect;
  Glyph glyph;
};
const QList<FaceButton> &faceButtons();

// The face without its buttons, already see-through outside its outline.
QImage faceBase(int scale);

// The face as the window shows it: faceBase with every button's normal frame in place.
QImage face(const QImage &base, const QList<QImage> &strips, int scale);

} // namespace skingen
