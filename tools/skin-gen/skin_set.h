#pragma once
// Writes the whole skin: the skin folder beside the program, the program's resources (with the
// resource list rcc compiles) and the desktop icons; every picture at 1x and at twice the size.

#include <QString>

namespace skingen {

struct OutputFolders {
  QString skin;      // the skin folder beside the executable
  QString resources; // pictures compiled into the program under ":/res/", and skin.qrc
  QString icons;     // lumiqo-<N>.png for the desktop
};

void writeSkinSet(const OutputFolders &folders);

// "name.ext" for the plain set, "name@2x.ext" for the twice-size set.
QString setFileName(const QString &name, const QString &extension, int scale);

} // namespace skingen
