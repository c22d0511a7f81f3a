#include "app/caption_box.h"

#include "base/twips.h"
#include "controls/accessible/accessible_parts.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

namespace lumiqo {

CaptionBox::CaptionBox(QWidget *parent) : QWidget(parent) {}

void CaptionBox::setCaption(const QString &text) {
  const bool changed = text != gd_a_;
  gd_a_ = text;
  scroll_.gd_i = 0;
  textChanged();
  emit captionChanged();
  if (changed) // a new song; the scrolling is never news
    announce(this, QAccessible::NameChanged);
}

void CaptionBox::setTextColour(const QColor &colour) {
  colour_ = colour;
  textChanged();
}

void CaptionBox::textChanged() {
  laidOut_ = false;
  paintedAt_ = -1;
  update();
}

void CaptionBox::setBackdrop(const QImage &backdrop) {
  backdrop_ = backdrop;
  setAttribute(Qt::WA_OpaquePaintEvent, !backdrop_.isNull());
  update();
}

bool CaptionBox::moves() const {
  layOutText();
  return textWidth_ > width() * kTwipsPerPixel;
}

void CaptionBox::changeEvent(QEvent *event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange)
    textChanged();
}

void CaptionBox::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  emit captionChanged();
}

void CaptionBox::layOutText() const {
  if (laidOut_)
    return;
  laidOut_ = true;
  const QFontMetricsF metrics(font());
  textWidth_ = metrics.horizontalAdvance(gd_a_) * kTwipsPerPixel;
  const QString padded = printed();
  paddedWidth_ = metrics.horizontalAdvance(padded) * kTwipsPerPixel;
  const qreal ratio = devicePixelRatioF();
  const QSizeF size(std::ceil(metrics.horizontalAdvance(padded)) + 1, std::ceil(metrics.height()));
  text_ = QImage((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  text_.setDevicePixelRatio(ratio);
  text_.fill(Qt::transparent);
  QPainter painter(&text_);
  painter.setPen(colour_);
  painter.setFont(font());
  painter.drawText(QPointF(0, metrics.ascent()), padded);
}

void CaptionBox::gs_timer_Timer() {
  layOutText();
  printedAt_ = captionTick(scroll_, width() * kTwipsPerPixel, textWidth_, paddedWidth_, kTwipsPerPixel);
  if (static_cast<int>(std::lround(printedAt_ / kTwipsPerPixel)) != paintedAt_)
    update();
}

void CaptionBox::paintEvent(QPaintEvent *) {
  layOutText();
  QPainter painter(this);
  if (!backdrop_.isNull())
    painter.drawImage(rect(), backdrop_);
  // The print position is the top of the text, 50 twips below the box's top.
  paintedAt_ = static_cast<int>(std::lround(printedAt_ / kTwipsPerPixel));
  painter.drawImage(QPointF(paintedAt_, 50.0 / kTwipsPerPixel), text_);
}

} // namespace lumiqo
