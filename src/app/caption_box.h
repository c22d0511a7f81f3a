#pragma once
// The caption box `gd_show`: prints the caption `gd_a` where the caption tick puts it.

#include "player/caption_scroll.h"

#include <QColor>
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
  // x of the last print, in twips.
  double printedAt() const { return printedAt_; }

  // The 50 ms tick: moves the caption and repaints.
  void gs_timer_Timer();

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QString gd_a_;
  CaptionScroll scroll_;
  QColor colour_;
  double printedAt_ = 0;
};

} // namespace lumiqo
