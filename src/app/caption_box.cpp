#include "app/caption_box.h"

#include "base/twips.h"

#include <QFontMetricsF>
#include <QPainter>

namespace lumiqo {

CaptionBox::CaptionBox(QWidget *parent) : QWidget(parent) {}

void CaptionBox::setCaption(const QString &text) {
  gd_a_ = text;
  scroll_.gd_i = 0;
  update();
}

void CaptionBox::setTextColour(const QColor &colour) {
  colour_ = colour;
  update();
}

void CaptionBox::gs_timer_Timer() {
  const QFontMetricsF metrics(font());
  const QString printed = QLatin1Char(' ') + gd_a_ + QLatin1Char(' ');
  printedAt_ =
      captionTick(scroll_, width() * kTwipsPerPixel, metrics.horizontalAdvance(gd_a_) * kTwipsPerPixel,
                  metrics.horizontalAdvance(printed) * kTwipsPerPixel, kTwipsPerPixel);
  update();
}

void CaptionBox::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setPen(colour_);
  painter.setFont(font());
  const QFontMetricsF metrics(font());
  // The print position is the top of the text, 50 twips below the box's top.
  const double y = 50.0 / kTwipsPerPixel + metrics.ascent();
  painter.drawText(QPointF(printedAt_ / kTwipsPerPixel, y), QLatin1Char(' ') + gd_a_ + QLatin1Char(' '));
}

} // namespace lumiqo
