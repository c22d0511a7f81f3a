#pragma once
// Pictures compiled into the program under ":/res/" (the scroll bar's bitmaps, the play-row
// icon), with their twice-size variants for high-density screens.

#include <QColor>
#include <QImage>
#include <QString>

namespace lumiqo {

// ":/res/<name>".
QString programResourcePath(const QString &name);
// Makes the compiled-in resources available; cheap after the first call.
void ensureProgramResources();
// The resource picture `name`, or its twice-size variant (device pixel ratio 2) when `ratio`
// is 2 or more and the program has one. A missing resource gives a null image.
QImage loadProgramImage(const QString &name, qreal ratio);
// A window's own picture: `given` when there is one (tests paint their own), else the resource
// `name`; when neither exists, a plain picture of `size` in `plain` (and a warning), so the
// window keeps its size and layout.
QImage windowPicture(const QImage &given, const QString &name, qreal ratio, QSize size, const QColor &plain);

} // namespace lumiqo
