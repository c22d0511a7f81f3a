#include "face.h"

#include "layout.h"
#include "lcd.h"
#include "paint.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>
#include <cmath>

namespace skingen {
namespace {

using namespace layout;

// The outline: the disc, the panel and two fillets where the panel's edges meet the disc.
QPainterPath fillet(double edgeY, bool top, double radius) {
  const QPointF c = discCentre;
  const double R = discRadius;
  const double fy = top ? edgeY - radius : edgeY + radius;
  const double fx = c.x() + std::sqrt((R + radius) * (R + radius) - (fy - c.y()) * (fy - c.y()));
  const QPointF f(fx, fy);
  const QPointF onDisc = c + (f - c) * (R / (R + radius));
  const QPointF onEdge(fx, edgeY);
  const QPointF corner(c.x() + std::sqrt(R * R - (edgeY - c.y()) * (edgeY - c.y())), edgeY);
  return triangle(onDisc, corner, onEdge).subtracted(circle(f, radius));
}

QPainterPath panelShape() {
  QPainterPath shape = roundedRect(panel, 14);
  shape = shape.united(fillet(panel.top(), true, 24));
  shape = shape.united(fillet(panel.bottom(), false, 24));
  return shape;
}

QPainterPath outline() {
  return panelShape().united(circle(discCentre, discRadius));
}

QPainterPath displayShape(double grow) {
  return roundedRect(display.adjusted(-grow, -grow, grow, grow), 3 + grow)
      .subtracted(circle(discCentre, 80.5 - grow));
}

void paintPanel(QPainter &p) {
  p.setPen(Qt::NoPen);
  p.setBrush(verticalGradient(panel.top(), panel.bottom(), QColor(66, 65, 66), QColor(34, 33, 34)));
  p.drawPath(panelShape());
  // A faint brushed sheen across the upper half.
  const QLinearGradient sheen =
      verticalGradient(panel.top(), panel.top() + 60, QColor(255, 255, 255, 16), QColor(255, 255, 255, 0));
  p.setBrush(sheen);
  p.drawPath(panelShape());
}

void paintDisc(QPainter &p) {
  const QPointF c = discCentre;
  p.setPen(Qt::NoPen);
  // Bezel.
  p.setBrush(verticalGradient(c.y() - 86, c.y() + 86, QColor(84, 83, 84), QColor(26, 25, 26)));
  p.drawEllipse(c, 86, 86);
  // The groove the ring of buttons runs in.
  QPainterPath groove = circle(c, 79).subtracted(circle(c, 53));
  p.setBrush(verticalGradient(c.y() - 79, c.y() + 79, QColor(22, 21, 22), QColor(48, 47, 48)));
  p.drawPath(groove);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(withAlpha(colour::gold, 150), 1.0));
  p.drawEllipse(c, 80.2, 80.2);
  p.setPen(QPen(QColor(0, 0, 0, 150), 1.2));
  p.drawEllipse(c, 78.6, 78.6);
  // Centre plateau, raised again.
  p.setPen(Qt::NoPen);
  p.setBrush(verticalGradient(c.y() - 53, c.y() + 53, QColor(76, 75, 76), QColor(34, 33, 34)));
  p.drawEllipse(c, 53, 53);
  QLinearGradient lip(0, c.y() - 53, 0, c.y() + 53);
  lip.setColorAt(0, QColor(255, 255, 255, 70));
  lip.setColorAt(0.5, QColor(255, 255, 255, 0));
  lip.setColorAt(1, QColor(0, 0, 0, 120));
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QBrush(lip), 1.0));
  p.drawEllipse(c, 52.4, 52.4);
  // A recessed seat for the big button, ringed in gold.
  p.setPen(Qt::NoPen);
  p.setBrush(verticalGradient(c.y() - 36, c.y() + 36, QColor(20, 19, 20), QColor(52, 51, 52)));
  p.drawEllipse(c, 36, 36);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(withAlpha(colour::gold, 170), 1.0));
  p.drawEllipse(c, 35.4, 35.4);
  // Small gold marks on the groove between the buttons.
  p.setPen(Qt::NoPen);
  p.setBrush(withAlpha(colour::gold, 120));
  for (double degrees : {67.5, 112.5, 157.5, 202.5, 247.5}) {
    const double a = qDegreesToRadians(degrees);
    p.drawEllipse(c + QPointF(std::cos(a), -std::sin(a)) * ringRadius, 1.1, 1.1);
  }
}

void paintDisplay(QPainter &p, int scale) {
  p.setPen(Qt::NoPen);
  // Bevel: dark above and left, a light lip below and right.
  p.setBrush(QColor(255, 255, 255, 34));
  p.drawPath(displayShape(2).translated(0.6, 0.8));
  p.setBrush(QColor(6, 6, 6));
  p.drawPath(displayShape(1.2));
  p.setBrush(colour::display);
  p.drawPath(displayShape(0));
  // Inner shadow along the top edge only, above every text line.
  const QLinearGradient shade =
      verticalGradient(display.top(), display.top() + 3, QColor(0, 0, 0, 140), QColor(0, 0, 0, 0));
  QPainterPath band;
  band.addRect(QRectF(display.left(), display.top(), display.width(), 3));
  p.setBrush(shade);
  p.drawPath(displayShape(0).intersected(band));
  // Divider between the time line and the caption.
  p.setPen(QPen(colour::segmentGhost, 1));
  p.drawLine(QPointF(display.left() + 10, caption.top() - 2.5),
             QPointF(display.right() - 6, caption.top() - 2.5));

  // The time cells, unlit, and the colon; drawn pixel for pixel as the digit pictures are.
  p.save();
  p.resetTransform();
  for (int i = 0; i < 5; ++i)
    p.drawImage(QPoint(digitLefts[i], digitTop) * scale, lcdCell(i == 2 ? kColonCell : kBlankCell, scale));
  p.restore();
}

void paintWordmark(QPainter &p) {
  QFont font = uiFont(22, true);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 1.2);
  p.setFont(font);
  const QLinearGradient ink = verticalGradient(34, 54, colour::goldLight, colour::goldDark);
  const QString word = QStringLiteral("Lumiqo");
  const QRectF box(176, 31, 120, 26);
  p.setPen(QColor(0, 0, 0, 160));
  p.drawText(box.translated(0, 1), Qt::AlignLeft | Qt::AlignVCenter, word);
  p.setPen(QPen(QBrush(ink), 1));
  p.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, word);
  const double end = box.left() + QFontMetricsF(font).horizontalAdvance(word);
  p.setFont(uiFont(11));
  shadowedText(p, QRectF(end + 8, 35, 80, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("音乐播放器"),
               colour::textDim, QColor(0, 0, 0, 150));
}

void paintGrille(QPainter &p) {
  // A speaker grille of drilled holes in the panel's right column.
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 18; ++col) {
      const QPointF hole(356.5 + col * 5, 62.5 + row * 5);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 255, 255, 26));
      p.drawEllipse(hole + QPointF(0, 0.6), 1.25, 1.25);
      p.setBrush(QColor(8, 8, 8));
      p.drawEllipse(hole, 1.15, 1.15);
    }
}

void paintSpeaker(QPainter &p) {
  const QColor ink = colour::textDim;
  QPainterPath body;
  body.moveTo(377, 106);
  body.lineTo(379.5, 106);
  body.lineTo(383, 103);
  body.lineTo(383, 113);
  body.lineTo(379.5, 110);
  body.lineTo(377, 110);
  body.closeSubpath();
  p.setPen(QPen(ink, 0.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(ink);
  p.drawPath(body);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(ink, 1.0, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(381.5, 105, 6, 6), -50 * 16, 100 * 16);
  p.drawArc(QRectF(380.5, 102.5, 10, 11), -50 * 16, 100 * 16);
}

void paintLinks(QPainter &p) {
  p.setFont(uiFont(12));
  for (const auto &[area, text] :
       {std::pair{web, QStringLiteral("网站")}, std::pair{forum, QStringLiteral("论坛")}}) {
    shadowedText(p, QRectF(area), Qt::AlignCenter, text, colour::text, QColor(0, 0, 0, 170));
    p.setPen(QPen(withAlpha(colour::gold, 110), 1));
    p.drawLine(QPointF(area.left() + 1, area.bottom() + 1.5), QPointF(area.right(), area.bottom() + 1.5));
  }
}

} // namespace

const QList<FaceButton> &faceButtons() {
  static const QList<FaceButton> buttons = {
      {"play", layout::play, Glyph::Play},
      {"pause", layout::play, Glyph::Pause},
      {"stop", layout::stop, Glyph::Stop},
      {"next", layout::next, Glyph::Next},
      {"prev", layout::prev, Glyph::Prev},
      {"lyric", layout::lyric, Glyph::Lyric},
      {"playlist", layout::playlist, Glyph::Playlist},
      {"close", layout::close, Glyph::Close},
      {"minimize", layout::minimize, Glyph::Minimize},
  };
  return buttons;
}

QImage trackPicture(int scale) {
  QImage image = newPicture(layout::trackPicture, scale, colour::body);
  Painter p(image, scale);
  p.setPen(Qt::NoPen);
  const double w = layout::trackPicture.width();
  p.fillRect(QRectF(0, 0, w, 6), QColor(92, 90, 86)); // lower lip catches the light
  p.fillRect(QRectF(0, 0, w, 5), QColor(8, 8, 8));    // shadowed upper edge
  p.fillRect(QRectF(0, 1, w, 4), verticalGradient(1, 5, QColor(20, 19, 18), QColor(40, 38, 34)));
  p.fillRect(QRectF(0, 2.5, w, 1), withAlpha(colour::gold, 46)); // a hint of gold down the groove
  return image;
}

QImage knobPicture(int scale) {
  QImage image = crop(skingen::trackPicture(scale), QRect(QPoint(0, 0), layout::knob), scale);
  Painter p(image, scale);
  p.setPen(QPen(QColor(60, 46, 10), 0.8));
  p.setBrush(verticalGradient(0, 6, colour::goldLight, colour::goldDark));
  p.drawRoundedRect(QRectF(0.4, 0.4, 9.2, 5.2), 2.6, 2.6);
  p.setPen(QPen(QColor(255, 255, 240, 150), 0.8));
  p.drawLine(QPointF(3, 1.4), QPointF(7, 1.4));
  return image;
}

QImage faceBase(int scale) {
  QImage image = newPicture(layout::face, scale, colour::edge);
  {
    Painter p(image, scale);
    paintPanel(p);
    paintDisc(p);
    paintDisplay(p, scale);
    paintWordmark(p);
    paintGrille(p);
    paintSpeaker(p);
    paintLinks(p);
    const QImage groove = skingen::trackPicture(scale);
    p.drawImage(QRectF(layout::volumeTrack), groove);
    p.drawImage(QRectF(layout::seekTrack), groove);
    // The rim: a light edge above fading into a dark one below.
    QLinearGradient rim(0, 0, 0, layout::face.height());
    rim.setColorAt(0, QColor(128, 126, 122));
    rim.setColorAt(0.45, QColor(74, 73, 72));
    rim.setColorAt(1, QColor(44, 43, 44));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QBrush(rim), 2.0));
    p.drawPath(outline());
  }
  keyOutside(image, outline(), scale);
  return image;
}

QImage face(const QImage &base, const QList<QImage> &strips, int scale) {
  QImage image = base;
  const QList<FaceButton> &buttons = faceButtons();
  for (int i = 0; i < buttons.size(); ++i)
    if (buttons[i].file != QLatin1String("pause"))
      placeNormalFrame(image, strips[i], buttons[i].rect, scale);
  return image;
}

} // namespace skingen
