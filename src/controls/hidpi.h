#pragma once
// Skin pictures come in two sets: the plain one and one at twice the size, named with "@2x"
// before the extension ("play.bmp" and "play@2x.bmp"). On a screen whose device pixel ratio is
// 2 or more the controls draw from the second set, so nothing is a blurred enlargement;
// geometry stays in logical pixels either way.

#include <QImage>
#include <QString>
#include <QStringList>

namespace lumiqo {

// The name of the twice-size picture of `path` ("a/b.bmp" -> "a/b@2x.bmp").
QString doubleSizePath(const QString &path);

// Loads `path`, or its twice-size picture when `ratio` is 2 or more and that one exists; the
// latter comes back with device pixel ratio 2, so it measures and paints at the plain size.
// Only whole pictures of regular files are read (skin_picture.h). A picture that cannot be
// loaded gives a null image; `unreadable`, when given, gets every file that was needed and
// could not be read: the plain one when nothing loaded, a twice-size one that was there but
// broken (the plain one is used then).
QImage loadSkinImage(const QString &path, qreal ratio, QStringList *unreadable = nullptr);

} // namespace lumiqo
