#pragma once
// Drawing helpers shared by every picture. Pictures are drawn in logical pixels on a painter
// scaled by the set's scale (1, or 2 for the twice-size set), so each set is drawn afresh.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace skingen {

// The colours of the look.
namespace colour {
inline const QColor key(255, 0, 0);       // see-through in the windows
inline const QColor magenta(255, 0, 255); // transparent in the scroll-bar pictures
inline const QColor body(41, 40, 41);     // the lyrics window's grey: the family of the face
inline const QColor edge(14, 14, 15);     // outline of every silhouette
inline const QColor text(239, 235, 222);  // light text
inline const QColor textDim(168, 164, 152);
inline const QColor gold(214, 190, 80); // the one accent
inline const QColor goldLight(250, 230, 150);
inline const QColor goldDark(140, 118, 42);
inline const QColor display(21, 22, 18); // the inset display's flat background
inline const QColor segmentLit(242, 210, 98);
inline const QColor segmentGhost(39, 38, 28);
inline const QColor cream(253, 251, 226); // search panel
inline const QColor olive(64, 64, 0);     // list text and captions on cream
} // namespace colour

QColor mix(const QColor &a, const QColor &b, double t);
QColor withAlpha(QColor c, int alpha);

// An opaque picture of logical size `size` at `scale`, filled with `fill`.
QImage newPicture(QSize size, int scale, const QColor &fill);
// A transparent picture (premultiplied alpha) of logical size `size` at `scale`.
QImage newLayer(QSize size, int scale);

// A closed triangle through a, b and c.
QPainterPath triangle(QPointF a, QPointF b, QPointF c);
// A top-to-bottom gradient from `a` at `top` to `b` at `bottom`.
QLinearGradient verticalGradient(double top, double bottom, const QColor &a, const QColor &b);

// A painter on `image` with anti-aliasing, scaled so that it draws in logical pixels.
class Painter : public QPainter {
public:
  Painter(QImage &image, int scale);
};

// Turns everything outside `shape` pure red. Pixels on the edge are blended with the outline
// colour by their coverage (never towards red), so no pink fringe can appear; a logical pixel
// less than a quarter covered becomes red whole, at twice the size too, where the window's shape
// cannot cut it in parts.
void keyOutside(QImage &image, const QPainterPath &shape, int scale);

// The pixels of `image` under the logical rectangle `logical`.
QImage crop(const QImage &image, QRect logical, int scale);

// Coverage (0..255) of `shape` on a picture of logical size `size` at `scale`.
QImage coverage(QSize size, const QPainterPath &shape, int scale);

// Fonts: the installed CJK face, which also carries the Latin letters.
QFont uiFont(double pixelSize, bool bold = false);
// The list's own font, as the play list asks for it; it falls back the same way as there.
QFont listFont();

// Text drawn with a one-pixel shadow below it (for engraved captions on dark surfaces).
void shadowedText(QPainter &p, const QRectF &box, int flags, const QString &text, const QColor &ink,
                  const QColor &shadow);

QPainterPath circle(QPointF centre, double radius);
QPainterPath roundedRect(const QRectF &rect, double radius);

} // namespace skingen
