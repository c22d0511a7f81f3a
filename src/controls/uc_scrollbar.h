#pragma once
// ucScrollbar: a self-drawn scroll bar. Arrows step by SmallChange, the track pages by
// LargeChange, both repeating after ChangeDelay every ChangeFrequency while held; the thumb
// drags and snaps back when the pointer strays far from the bar. Hover and pressed looks
// come from its drawing object's bitmaps.
//
// Timers run only while a part is held down: hovering is followed through the pointer's
// moves and its leaving the control, so a bar under a resting pointer costs nothing.

#include "controls/c_scrollbar_draw.h"
#include "controls/scrollbar_geometry.h"

#include <QTimer>
#include <QVariantMap>
#include <QWidget>

#include <memory>

namespace lumiqo {

class ucScrollbar : public QWidget {
  Q_OBJECT
public:
  static constexpr int kVertical = cScrollbarDraw::kVertical;
  static constexpr int kHorizontal = cScrollbarDraw::kHorizontal;
  // Timer ids as the control names them: the initial delay and the repeat.
  static constexpr int kDelayTimer = 1;
  static constexpr int kRepeatTimer = 2;

  explicit ucScrollbar(QWidget *parent = nullptr);
  ~ucScrollbar() override;

  // Setting Min above Max makes it Max (and Max below Min makes it Min); Value follows into
  // the range without an event.
  int Min() const { return min_; }
  void setMin(int value);
  int Max() const { return max_; }
  void setMax(int value);
  // Clamped to Min .. Max; Change when it moved.
  int Value() const { return value_; }
  void setValue(int value);
  int SmallChange() const { return smallChange_; }
  void setSmallChange(int value);
  int LargeChange() const { return largeChange_; }
  void setLargeChange(int value);
  // Milliseconds; a negative delay is 0, a frequency of 24 or less is 25.
  int ChangeDelay() const { return changeDelay_; }
  void setChangeDelay(int ms);
  int ChangeFrequency() const { return changeFrequency_; }
  void setChangeFrequency(int ms);
  // 0 vertical, 1 horizontal; other values are held to those.
  int Orientation() const { return orientation_; }
  void setOrientation(int value);
  bool ShowButtons() const { return showButtons_; }
  void setShowButtons(bool on);
  bool Enabled() const { return isEnabled(); }

  void Refresh() { redraw(); }

  // The host's stored values under "Min", "Max", ... taken as they are, without the setters'
  // rules; and the current values written back (defaults left out).
  void ReadProperties(const QVariantMap &PropBag);
  void WriteProperties(QVariantMap &PropBag) const;

  // Draw with this object instead of the program's bitmaps.
  void setDrawing(std::unique_ptr<cScrollbarDraw> drawing);

  // Raises Show or Hide when the visibility changes.
  void setVisible(bool visible) override;

  // Where the parts lie now.
  const ScrollbarGeometry &parts() {
    ensureLayout();
    return geo_;
  }
  int pressedPart() const { return pressedPart_; }
  bool timerRunning(int id) const;
  int timerInterval(int id) const;

signals:
  void Change();
  void Scroll();
  void Show();
  void Hide();

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void hideEvent(QHideEvent *event) override;
  void changeEvent(QEvent *event) override;
  bool event(QEvent *event) override;

private:
  struct Flags {
    bool firstArrow = false;
    bool secondArrow = false;
    bool firstTrack = false;
    bool secondTrack = false;
    bool thumb = false;
  };

  void redraw();
  void relayout();
  // A hidden widget learns of its new size only when shown: the layout follows the size
  // whenever it is used.
  void ensureLayout() {
    if (size() != laidOut_)
      recomputeThumb();
  }
  void recomputeThumb();
  qint64 range() const { return qint64{max_} - min_; }
  bool step(qint64 delta, bool fromButtonDown);
  void leftButtonDown(QPoint p);
  void leftButtonUp();
  void dragThumb(QPoint p);
  void hover(QPoint p);
  void clearHotOutside(QPoint p);
  void delayElapsed();
  void repeat();
  // Another widget or a pop-up holds the mouse now: no release will come to this bar.
  bool mouseTakenAway() const;
  bool *pressedFlag(int part);
  bool *hotFlag(int part);
  int arrowState(bool hot, bool pressed) const;
  void ensureDrawing();

  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  int smallChange_ = 1;
  int largeChange_ = 10;
  int changeDelay_ = 500;
  int changeFrequency_ = 50;
  int orientation_ = kVertical;
  bool showButtons_ = true;

  ScrollbarGeometry geo_;
  QSize laidOut_;
  int pressedPart_ = kNoPart;
  Flags pressed_;
  Flags hot_; // arrows and thumb only
  bool pointerInside_ = false;
  QPoint mouse_;
  int grabOffset_ = 0;
  int startValue_ = 0;

  QTimer delayTimer_;
  QTimer repeatTimer_;
  std::unique_ptr<cScrollbarDraw> drawing_;
  bool ownArt_ = false; // drawing_ was handed in; never reloaded
  qreal drawingRatio_ = 0;
  bool redrawPending_ = false;
};

} // namespace lumiqo
