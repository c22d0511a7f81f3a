#include "scrollbar_art.h"

#include "paint.h"

#include <QLinearGradient>

namespace skingen {
namespace {

// Logical sizes of one vertical frame of each part.
constexpr QSize kTrackFrame(17, 2);
constexpr QSize kArrowFrame(17, 18);
constexpr QSize kThumbFrame(17, 15);
constexpr QSize kGripFrame(9, 10);

const QColor kTrack(238, 237, 232);
const QColor kTrackPressed(222, 220, 212);
const QColor kTrackLine(214, 212, 204);

// Arrow frames: 0 normal, 1 pointer over the bar, 2 over this arrow, 3 pressed, 4 disabled.
QColor arrowFill(int state) {
  switch (state) {
  case 2: return QColor(216, 212, 196);
  case 3: return QColor(170, 150, 72);
  default: return kTrack;
  }
}
QColor arrowInk(int state) {
  switch (state) {
  case 1: return QColor(104, 102, 94);
  case 2: return QColor(64, 60, 20);
  case 3: return QColor(255, 252, 236);
  case 4: return QColor(206, 204, 198);
  default: return QColor(142, 140, 132);
  }
}
// Thumb frames: 0 normal, 1 hot, 2 pressed, 3 disabled.
QColor thumbFill(int state) {
  switch (state) {
  case 1: return QColor(176, 172, 156);
  case 2: return QColor(170, 150, 72);
  case 3: return QColor(228, 226, 220);
  default: return QColor(198, 195, 184);
  }
}
QColor gripInk(int state) {
  switch (state) {
  case 1: return QColor(92, 88, 72);
  case 2: return QColor(250, 244, 214);
  case 3: return QColor(214, 212, 206);
  default: return QColor(128, 124, 110);
  }
}

void paintTrackLine(QPainter &p, double height) {
  p.fillRect(QRectF(0, 0, 1, height), kTrackLine); // the bar's edge against the list
}

QImage trackStrip(int scale) {
  // Frame 0 normal above frame 1 pressed.
  QImage strip = newPicture(QSize(kTrackFrame.width(), kTrackFrame.height() * 2), scale, kTrack);
  Painter p(strip, scale);
  p.fillRect(QRectF(QPointF(0, kTrackFrame.height()), kTrackFrame), kTrackPressed);
  paintTrackLine(p, kTrackFrame.height() * 2);
  return strip;
}

void paintArrowBackground(QPainter &p, int state) {
  p.fillRect(QRectF(QPointF(0, 0), kArrowFrame), kTrack);
  paintTrackLine(p, kArrowFrame.height());
  if (state == 2 || state == 3) {
    p.setPen(Qt::NoPen);
    p.setBrush(arrowFill(state));
    p.drawRoundedRect(QRectF(2.5, 1.5, 13, 15), 3, 3);
  } else if (state == 1) {
    p.setPen(QPen(QColor(214, 210, 196), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(3, 2, 12, 14), 3, 3);
  }
}

// One frame of the up glyph: its coverage, and the colour it shows on its own arrow frame.
QPainterPath upGlyph() {
  return triangle({8.5, 6}, {13, 11.2}, {4, 11.2});
}

// Draws `shape` in `ink` on a copy of `below` and turns every pixel the shape does not touch
// magenta.
QImage keyedGlyph(const QImage &below, const QPainterPath &shape, const QColor &ink, int scale) {
  const QImage cover = coverage(below.size() / scale, shape, scale);
  QImage out = below;
  for (int y = 0; y < out.height(); ++y) {
    auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
    const uchar *c = cover.constScanLine(y);
    for (int x = 0; x < out.width(); ++x)
      line[x] = c[x] == 0 ? colour::magenta.rgb() : mix(QColor(line[x]), ink, c[x] / 255.0).rgb();
  }
  return out;
}

QImage arrowFrame(int state, int scale) {
  QImage frame = newPicture(kArrowFrame, scale, kTrack);
  Painter p(frame, scale);
  paintArrowBackground(p, state);
  return frame;
}

QImage thumbFrame(int state, int scale) {
  QImage frame = newPicture(kThumbFrame, scale, kTrack);
  Painter p(frame, scale);
  paintTrackLine(p, kThumbFrame.height());
  p.setPen(QPen(thumbFill(state).darker(118), 1));
  p.setBrush(thumbFill(state));
  p.drawRoundedRect(QRectF(3.5, 0.5, 10, 14), 2.5, 2.5);
  return frame;
}

// Three ridges across the thumb's middle.
QPainterPath gripShape() {
  QPainterPath path;
  for (double y : {2.0, 4.0, 6.0})
    path.addRect(QRectF(2, y, 5, 1));
  return path;
}

// Stacks frames vertically (or side by side when `across`).
QImage stack(const QList<QImage> &frames, bool across) {
  const QSize one = frames.first().size();
  QImage strip(across ? QSize(one.width() * int(frames.size()), one.height())
                      : QSize(one.width(), one.height() * int(frames.size())),
               QImage::Format_RGB32);
  QPainter p(&strip);
  for (int i = 0; i < frames.size(); ++i)
    p.drawImage(across ? QPoint(one.width() * i, 0) : QPoint(0, one.height() * i), frames[i]);
  return strip;
}

// The horizontal parts are the vertical ones mirrored along the diagonal: up becomes left.
QImage transposed(const QImage &image) {
  QImage out(image.height(), image.width(), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      out.setPixel(y, x, image.pixel(x, y));
  return out;
}

QList<QImage> transposedFrames(const QList<QImage> &frames) {
  QList<QImage> out;
  for (const QImage &frame : frames)
    out.append(transposed(frame));
  return out;
}

} // namespace

QList<NamedPicture> scrollBarPictures(int scale) {
  QList<QImage> arrows, ups, downs, thumbs, grips;
  const QPainterPath up = upGlyph();
  const QPainterPath down = QTransform(1, 0, 0, -1, 0, kArrowFrame.height()).map(up);
  for (int state = 0; state < 5; ++state) {
    const QImage background = arrowFrame(state, scale);
    arrows.append(background);
    ups.append(keyedGlyph(background, up, arrowInk(state), scale));
    downs.append(keyedGlyph(background, down, arrowInk(state), scale));
  }
  for (int state = 0; state < 4; ++state) {
    const QImage thumb = thumbFrame(state, scale);
    thumbs.append(thumb);
    // The grip is drawn on the thumb's middle, so it is smoothed against the thumb's colour.
    const QPoint middle = QPoint(4, 3) * scale;
    grips.append(
        keyedGlyph(thumb.copy(QRect(middle, kGripFrame * scale)), gripShape(), gripInk(state), scale));
  }
  const QImage track = trackStrip(scale);

  QList<QImage> trackFrames = {track.copy(0, 0, track.width(), track.height() / 2),
                               track.copy(0, track.height() / 2, track.width(), track.height() / 2)};
  return {
      {"SCRBACKV", track},
      {"SCRBACKH", stack(transposedFrames(trackFrames), true)},
      {"SCRARROWV", stack(arrows, false)},
      {"SCRARROWH", stack(transposedFrames(arrows), true)},
      {"SCRARROWVT", stack(ups, false)},
      {"SCRARROWVB", stack(downs, false)},
      {"SCRARROWHL", stack(transposedFrames(ups), true)},
      {"SCRARROWHR", stack(transposedFrames(downs), true)},
      {"SCRTHUMBV", stack(thumbs, true)},
      {"SCRTHUMBH", stack(transposedFrames(thumbs), false)},
      {"SCRGRIPV", stack(grips, false)},
      {"SCRGRIPH", stack(transposedFrames(grips), false)},
  };
}

} // namespace skingen
