#pragma once
// The focus ring as drawn, at whatever device pixel ratio the test program runs: a window with
// a control, the keyboard in use, the window grabbed; the ring's two bands must be exactly the
// accent and the dark edge in every device pixel (no blended pixel anywhere), and the control
// inside untouched.

#include "base/colour.h"
#include "controls/focus_ring.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace lumiqo::test {

// A control painted one flat colour.
class FlatControl : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void paintEvent(QPaintEvent *) override { QPainter(this).fillRect(rect(), QColor(0, 90, 200)); }
};

inline void expectCrispRing() {
  QWidget window;
  window.resize(60, 50);
  QPalette grey;
  grey.setColor(QPalette::Window, QColor(128, 128, 128));
  window.setPalette(grey);
  window.setAutoFillBackground(true);
  auto *control = new FlatControl(&window);
  control->setGeometry(20, 15, 17, 11);
  control->setFocusPolicy(Qt::StrongFocus);
  FocusRing *ring = FocusRing::of(&window);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  control->setFocus(Qt::TabFocusReason);
  QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier); // the keyboard comes into use
  QApplication::sendEvent(control, &key);
  control->setFocus(Qt::TabFocusReason);
  ASSERT_TRUE(ring->isVisible());

  const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const qreal ratio = shot.devicePixelRatio();
  const auto device = [ratio](int logical) { return static_cast<int>(logical * ratio); };
  const QRect inside(device(20), device(15), device(17), device(11));
  const QRect accent = inside.adjusted(-device(2), -device(2), device(2), device(2));
  const QRect edge = accent.adjusted(-device(1), -device(1), device(1), device(1));
  const QRgb gold = toQColor(kAccentColour).rgb();
  int wrong = 0;
  for (int y = 0; y < shot.height(); ++y)
    for (int x = 0; x < shot.width(); ++x) {
      const QPoint p(x, y);
      const QRgb got = shot.pixel(p);
      QRgb want = qRgb(128, 128, 128);
      if (inside.contains(p))
        want = qRgb(0, 90, 200);
      else if (accent.contains(p))
        want = gold;
      else if (edge.contains(p))
        want = qRgb(41, 40, 41);
      wrong += got != want;
    }
  EXPECT_EQ(wrong, 0) << "at device pixel ratio " << ratio;
}

} // namespace lumiqo::test
