#pragma once
// LrcShow: the lyrics view. It keeps a timeline of lyrics and scrolls it with the song on a
// retained drawing surface: the current line near the vertical centre, one row (270 twips)
// per line, the current line brightening while the previous one fades back. The host
// supplies lyrics (begin), the position (setTime), whether the display runs (setTimerE) and
// the background (answering Paint, normally with PaintPicture1). Positions are twips.
// Assistive tools read the current line, and hear of each new one (not of the scrolling).

#include "lyrics/lrc_frame.h"
#include "lyrics/lrc_timeline.h"

#include <QImage>
#include <QStaticText>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lumiqo {

// The values a host keeps for the view and gives it when it builds it.
struct LrcShowProperties {
  std::uint32_t BackColor = 0;
  std::uint32_t ForeColor = 0xFFFFFF;
  std::uint32_t LrcColor = 0xFF0000;
  QString FilePath;
  QString BackPicturePath;
  bool Debugm = false; // kept with the others; it has no effect
};

class LrcShow : public QWidget {
  Q_OBJECT

public:
  // The drawing timer's resolution. The view was made for a 1 ms timer that the platform
  // ran at about 15 ms; it ticks on that grid here, and after each tick it sleeps through
  // the ticks that would draw nothing (it looks ahead up to kLookaheadTicks), so a still
  // picture costs no wake-ups and scrolling wakes it only when a pixel or a colour moves.
  // Once the last line is fully lit nothing can move any more: it sleeps until the clock is
  // set again, new lyrics come or the surface changes.
  static constexpr int kTickIntervalMs = 15;
  static constexpr int kLookaheadTicks = 66;
  // The view shows the middle of a line too long for it: of a longer line only the middle
  // this many characters are laid out, which is all the view can show and keeps any line's
  // cost small.
  static constexpr qsizetype kMaxLaidOutChars = 1000;

  explicit LrcShow(QWidget *parent = nullptr);

  std::uint32_t BackColor() const { return props_.BackColor; }
  void setBackColor(std::uint32_t colour);
  std::uint32_t ForeColor() const { return props_.ForeColor; }
  void setForeColor(std::uint32_t colour);
  std::uint32_t LrcColor() const { return props_.LrcColor; }
  void setLrcColor(std::uint32_t colour);
  QString FilePath() const { return props_.FilePath; }
  void setFilePath(const QString &path) { props_.FilePath = path; }
  QString BackPicture() const { return props_.BackPicturePath; }
  void setBackPicture(const QString &path);

  // Reading the position draws once, as every access to it does.
  float time();
  void setTime(float position);

  bool TimerE() const { return timerE_; }
  void setTimerE(bool enabled);

  // Sets the six kept values, then refreshes; WriteProperties returns them and refreshes.
  void ReadProperties(const LrcShowProperties &properties);
  LrcShowProperties WriteProperties();

  // Builds a new timeline (from FilePath when formFile, else from LrcTxt), anchors the clock
  // at PMtime hundredths, enables the timer and draws once. An empty or unreadable source
  // changes nothing.
  void begin(std::int32_t PMtime, bool formFile = true, const QString &LrcTxt = QString());
  void StopShow();
  void redarw();
  void Line1(double x1, double y1, double x2, double y2, std::uint32_t Color);
  void PaintPicture1(const QImage &aPicture, double aX1, double aY1, double aWidth1, double aHeight1,
                     double aX2, double aY2, double aWidth2, double aHeight2);

  // The retained drawing surface, as it stands.
  const QImage &surface() const { return surface_; }
  const LrcTimeline &timeline() const { return timeline_; }
  // The current line as the last tick found it ("" before any lyrics).
  QString currentLine() const;
  bool timerActive() const { return running_; }
  // How long the drawing timer sleeps before its next tick.
  int nextTickDelayMs() const { return timer_.interval(); }
  // Whether a tick is due at all (false while enabled but sleeping past the last line).
  bool tickPending() const { return timer_.isActive(); }
  void setClockForTesting(std::function<double()> clock) { timeline_.setClockForTesting(std::move(clock)); }

signals:
  void Paint();

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void changeEvent(QEvent *event) override;

private:
  void refresh();
  void tick();
  void sizeSurface();
  void clearSurface();
  void surfaceChanged(); // the surface no longer shows the last drawn lyrics
  void drawLines(const std::vector<PlacedLine> &placed);
  // The lines of a frame that reach into the surface.
  std::vector<PlacedLine> visibleLines(const LrcFrame &frame) const;
  // Whether a tick showing `frame` after one that stored `lastOffset` and `lastColour` draws.
  bool tickDraws(const LrcFrame &frame, float lastOffset, std::uint32_t lastColour,
                 std::vector<PlacedLine> *visible) const;
  void scheduleNextTick(float position);
  const QStaticText &laidOut(int index); // the line's text laid out once per timeline and font
  void resetLaidOut();
  void followCurrentLine(int index);

  LrcShowProperties props_;
  LrcTimeline timeline_;
  QImage surface_;
  QImage picture_; // the surface's background picture, restored by every clearing
  QTimer timer_;
  bool timerE_ = false;
  bool running_ = false; // the drawing timer is enabled (it may be sleeping through still ticks)
  float lastOffset_ = 0;
  std::uint32_t lastColour_ = 0;
  // What the surface shows of the lyrics now; a tick whose visible lines are the same skips
  // the redraw (the picture would be identical).
  std::vector<PlacedLine> shown_;
  bool shownValid_ = false;
  bool ownUpdate_ = false;
  std::vector<std::optional<QStaticText>> laidOut_;
  int currentLine_ = -1; // into the timeline, as the last tick found it
};

} // namespace lumiqo
