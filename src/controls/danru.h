#pragma once
// danru: fades a top-level window in or out by stepping its opacity on a fast timer. begin
// starts a fade; every tick applies the next alpha (0..255), reports it through FadeStep and
// adds the step, and the tick whose value reaches or passes the end stops the timer before it
// reports. Where the display cannot show opacity (an X11 screen without a compositing
// manager) the fade runs and reports all the same; what the windows make of that is theirs.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace lumiqo {

class danru : public QObject {
  Q_OBJECT
public:
  // The fade clock was made for a 1 ms timer that the platform ran at about 15 ms; it ticks at
  // that practical resolution here.
  static constexpr int kTickIntervalMs = 15;

  explicit danru(QObject *parent = nullptr);

  // Fades hWnd's window from Min to Max by step per tick. Color is the window's transparency
  // key colour (0x00BBGGRR); the window keeps it through its own mask, so it is only stored
  // here. A begin while a fade runs replaces the fade and goes on from the new start.
  void begin(QWidget *hWnd, std::uint32_t Color, std::int32_t Min, std::int32_t Max, std::int32_t step);
  // What a host does to end a fade that never ends by itself (a step of 0).
  void stop() { Timer1.stop(); }

  bool running() const { return Timer1.isActive(); }
  std::uint32_t keyColour() const { return color_; }
  // The value the next tick applies (before clamping), and what each tick adds.
  std::int32_t current() const { return current_; }
  std::int32_t step() const { return step_; }

signals:
  // The alpha just applied, 0..255.
  void FadeStep(int alpha);

private:
  void Timer1_Timer();

  QPointer<QWidget> window_;
  std::uint32_t color_ = 0;
  std::int32_t start_ = 0;
  std::int32_t end_ = 0;
  std::int32_t step_ = 0;
  std::int32_t current_ = 0;
  QTimer Timer1;
};

} // namespace lumiqo
