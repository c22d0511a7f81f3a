#pragma once
// The caption box `gd_show`: prints the caption `gd_a` where the caption tick puts it. The
// padded caption is laid out once per text into a picture, and the face under the box is kept
// as its backdrop, so a tick that moves the caption by a pixel costs one small copy, and a
// tick that moves nothing costs no paint at all.

#include "player/caption_scroll.h"

#include <QColor>
#include <QImage>
#include <QWidget>

namespace lumiqo {

class CaptionBox : public QWidget {
  Q_OBJECT
public:
  explicit CaptionBox(QWidget *parent = nullptr);

  QString gd_a() const { return gd_a_; }
  // Sets the caption and restarts its scroll at the left end.
  void setCaption(const QString &text);
  int gd_i() const { return scroll_.gd_i; }
  void setGdI(int value) { scroll_.gd_i = value; }
  bool scrollBack() const { return scroll_.scroll_back; }

  void setTextColour(const QColor &colour);
  // What lies under the box (the window's face there); without one the box is see-through.
  void setBackdrop(const QImage &backdrop);
  // x of the last print, in twips.
  double printedAt() const { return printedAt_; }
  // The caption is wider than the box, so the ticks move it.
  bool moves() const;

  // The 50 ms tick: moves the caption, and repaints when that moved a pixel.
  void gs_timer_Timer();

signals:
  // The caption changed; whether it moves may have changed with it.
  void captionChanged();

protected:
  void paintEvent(QPaintEvent *event) override;
  void changeEvent(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  QString printed() const { return QLatin1Char(' ') + gd_a_ + QLatin1Char(' '); }
  // The caption's picture and widths, made when first needed after a change.
  void layOutText() const;
  void textChanged();

  QString gd_a_;
  CaptionScroll scroll_;
  QColor colour_;
  QImage backdrop_;
  // The padded caption laid out once per text, colour and font, and its widths in twips.
  mutable bool laidOut_ = false;
  mutable QImage text_;
  mutable double textWidth_ = 0;   // of gd_a
  mutable double paddedWidth_ = 0; // of the printed text
  double printedAt_ = 0;
  int paintedAt_ = -1; // the pixel x last painted; -1 before the first paint
};

} // namespace lumiqo
