#include "controls/uc_scrollbar.h"
#include "scrollbar_test_art.h"
#include "support/mouse.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using test::artColour;

void send(QWidget &w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  test::sendMouse(&w, type, QPointF(at), button, buttons, modifiers);
}
void press(QWidget &w, QPoint at) {
  send(w, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
}
void dragTo(QWidget &w, QPoint at) {
  send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
}
void hoverAt(QWidget &w, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  send(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, modifiers);
}
void release(QWidget &w, QPoint at) {
  send(w, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// A vertical bar 17 x 100 drawn with the test art: arrows 0-17 and 82-99, track 18-81.
struct Bar {
  Bar(int length = 100, bool vertical = true) {
    bar.setDrawing(std::make_unique<cScrollbarDraw>(test::testBitmaps()));
    bar.setOrientation(vertical ? ucScrollbar::kVertical : ucScrollbar::kHorizontal);
    bar.resize(vertical ? QSize(17, length) : QSize(length, 17));
  }
  QRgb pixel(QPoint at) { return bar.grab().toImage().pixel(at); }
  ucScrollbar bar;
};

TEST(ScrollbarLayout, WithButtonsThumbAndTrack) {
  Bar b;
  const ScrollbarGeometry &g = b.bar.parts();
  EXPECT_EQ(g.part(kFirstArrow), QRect(0, 0, 17, 18));
  EXPECT_EQ(g.part(kSecondArrow), QRect(0, 82, 17, 18));
  EXPECT_EQ(g.trackLength(), 64);
  EXPECT_TRUE(g.hasTrack());
  EXPECT_EQ(g.thumbSize(), 8); // 64 div (100 div 10 + 1) = 5, raised to 8
  EXPECT_EQ(g.part(kThumb), QRect(0, 18, 17, 8));
  EXPECT_EQ(g.hitTest({5, 17}), kFirstArrow);
  EXPECT_EQ(g.hitTest({5, 18}), kThumb);
  EXPECT_EQ(g.hitTest({5, 26}), kSecondTrack);
  EXPECT_EQ(g.hitTest({5, 82}), kSecondArrow);
  EXPECT_EQ(g.hitTest({17, 50}), kNoPart);

  // Max 5: range div LargeChange is 0, so the thumb fills the track and cannot be dragged.
  b.bar.setMax(5);
  b.bar.setValue(3);
  EXPECT_EQ(g.thumbSize(), 64);
  QSignalSpy change(&b.bar, &ucScrollbar::Change);
  press(b.bar, {8, 40});
  dragTo(b.bar, {8, 10});
  release(b.bar, {8, 10});
  EXPECT_EQ(b.bar.Value(), 3);
  EXPECT_EQ(change.count(), 0);
}

TEST(ScrollbarLayout, ShortBarsAndNoButtons) {
  Bar b(40); // arrows 18 each, a checkered filler of 4 between, no thumb
  EXPECT_FALSE(b.bar.parts().hasTrack());
  EXPECT_EQ(b.bar.parts().filler(), QRect(0, 18, 17, 4));
  EXPECT_TRUE(b.bar.parts().part(kThumb).isEmpty());
  EXPECT_EQ(b.pixel({0, 18}), qRgb(255, 255, 255)); // rows 0xAA, 0x55 from the origin
  EXPECT_EQ(b.pixel({1, 18}), qRgb(0, 0, 0));
  EXPECT_EQ(b.pixel({0, 19}), qRgb(0, 0, 0));

  b.bar.resize(17, 36); // two half-length arrows, no filler
  EXPECT_EQ(b.bar.parts().part(kFirstArrow), QRect(0, 0, 17, 18));
  EXPECT_EQ(b.bar.parts().part(kSecondArrow), QRect(0, 18, 17, 18));
  EXPECT_FALSE(b.bar.parts().fillMiddle());
  b.bar.resize(17, 35); // odd: a one-pixel filler line in the middle
  EXPECT_EQ(b.bar.parts().part(kFirstArrow), QRect(0, 0, 17, 17));
  EXPECT_EQ(b.bar.parts().part(kSecondArrow), QRect(0, 18, 17, 17));
  EXPECT_EQ(b.bar.parts().filler(), QRect(0, 17, 17, 1));

  b.bar.resize(17, 100);
  b.bar.setShowButtons(false);
  EXPECT_EQ(b.bar.parts().trackLength(), 100);
  EXPECT_EQ(b.bar.parts().hitTest({5, 0}), kThumb);

  Bar h(100, false);
  EXPECT_EQ(h.bar.parts().part(kSecondArrow), QRect(82, 0, 18, 17));
  EXPECT_EQ(h.bar.parts().hitTest({30, 5}), kSecondTrack);
}

// (T - size) / range * (Value - Min) rounds halves to the even pixel.
TEST(ScrollbarLayout, ThumbPositionRoundsHalvesToEven) {
  Bar b;
  b.bar.setLargeChange(1);
  b.bar.setMax(16); // thumb 64 div 17 = 3, raised to 8; 56 / 16 = 3.5 pixels per step
  b.bar.setValue(3);
  EXPECT_EQ(b.bar.parts().thumbPosition(), 18 + 10); // 10.5
  b.bar.setValue(7);
  EXPECT_EQ(b.bar.parts().thumbPosition(), 18 + 24); // 24.5
  b.bar.setValue(1);
  EXPECT_EQ(b.bar.parts().thumbPosition(), 18 + 4); // 3.5
  b.bar.setMin(16);                                 // range 0: at the track's start
  EXPECT_EQ(b.bar.parts().thumbPosition(), 18);
}

TEST(ScrollbarProperties, SetterRulesAndEvents) {
  ucScrollbar bar;
  QSignalSpy change(&bar, &ucScrollbar::Change);
  bar.setValue(0);
  EXPECT_EQ(change.count(), 0);
  bar.setValue(250);
  EXPECT_EQ(bar.Value(), 100);
  EXPECT_EQ(change.count(), 1);
  bar.setMax(40); // Value follows silently
  EXPECT_EQ(bar.Value(), 40);
  EXPECT_EQ(change.count(), 1);
  bar.setMin(60); // above Max: becomes Max
  EXPECT_EQ(bar.Min(), 40);
  bar.setMax(10);
  EXPECT_EQ(bar.Max(), 40);
  bar.setChangeFrequency(10);
  EXPECT_EQ(bar.ChangeFrequency(), 25);
  bar.setChangeDelay(-5);
  EXPECT_EQ(bar.ChangeDelay(), 0);
  bar.setSmallChange(0);
  EXPECT_EQ(bar.SmallChange(), 1);
  bar.setLargeChange(-3);
  EXPECT_EQ(bar.LargeChange(), 1);
  bar.setOrientation(7);
  EXPECT_EQ(bar.Orientation(), 1);

  QSignalSpy shown(&bar, &ucScrollbar::Show);
  QSignalSpy hidden(&bar, &ucScrollbar::Hide);
  bar.show();
  bar.setVisible(true);
  bar.hide();
  bar.setVisible(false);
  EXPECT_EQ(hidden.count(), 1);
  EXPECT_EQ(shown.count(), 1);
}

TEST(ScrollbarProperties, StoredValuesAreTakenAsTheyAre) {
  ucScrollbar bar;
  bar.resize(17, 100);
  bar.ReadProperties({{"LargeChange", 0}, {"Max", 50}, {"ChangeFrequency", 5}, {"Value", 80}});
  EXPECT_EQ(bar.LargeChange(), 0);
  EXPECT_EQ(bar.ChangeFrequency(), 5);
  EXPECT_EQ(bar.Value(), 80);
  EXPECT_EQ(bar.parts().thumbSize(), 8); // the failed division gives 0, raised to 8
  QVariantMap out;
  bar.WriteProperties(out);
  EXPECT_EQ(out.value("Max").toInt(), 50);
  EXPECT_FALSE(out.contains("Min"));
}

TEST(ScrollbarMouse, ArrowStepsAtOnceThenRepeatsAfterTheDelayUntilTheEnd) {
  Bar b;
  b.bar.setValue(5);
  QSignalSpy change(&b.bar, &ucScrollbar::Change);
  press(b.bar, {8, 5});
  EXPECT_EQ(b.bar.Value(), 4);
  EXPECT_EQ(change.count(), 1);
  EXPECT_TRUE(b.bar.timerRunning(ucScrollbar::kDelayTimer));
  EXPECT_EQ(b.bar.timerInterval(ucScrollbar::kDelayTimer), 500);
  EXPECT_FALSE(b.bar.timerRunning(ucScrollbar::kRepeatTimer));
  release(b.bar, {8, 5});
  EXPECT_FALSE(b.bar.timerRunning(ucScrollbar::kDelayTimer));

  b.bar.setChangeDelay(0);
  b.bar.setChangeFrequency(25);
  press(b.bar, {8, 5});
  EXPECT_TRUE(QTest::qWaitFor([&] { return b.bar.Value() == 0; }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !b.bar.timerRunning(ucScrollbar::kRepeatTimer); }, 5000));
  EXPECT_EQ(b.bar.timerInterval(ucScrollbar::kRepeatTimer), 25);
  EXPECT_EQ(change.count(), 5);
  release(b.bar, {8, 5});

  // At the limit a press changes nothing and raises nothing.
  press(b.bar, {8, 5});
  EXPECT_EQ(change.count(), 5);
  release(b.bar, {8, 5});
  // The second click of a double click is another press.
  send(b.bar, QEvent::MouseButtonDblClick, {8, 90}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(b.bar.Value(), 1);
  release(b.bar, {8, 90});
}

TEST(ScrollbarMouse, TrackPagesOnlyTowardsThePointer) {
  Bar b;
  b.bar.setChangeDelay(0);
  b.bar.setChangeFrequency(25);
  press(b.bar, {8, 60}); // second track, below the thumb
  EXPECT_EQ(b.bar.Value(), 10);
  // Pages down until the thumb's trailing edge reaches the pointer: at 60 the thumb is 52-59.
  EXPECT_TRUE(QTest::qWaitFor([&] { return b.bar.Value() == 60; }, 5000));
  QTest::qWait(120);
  EXPECT_EQ(b.bar.Value(), 60);
  EXPECT_TRUE(b.bar.timerRunning(ucScrollbar::kRepeatTimer)); // still held
  dragTo(b.bar, {8, 20}); // above the thumb: a press on the second track never pages up
  QTest::qWait(120);
  EXPECT_EQ(b.bar.Value(), 60);
  dragTo(b.bar, {8, 75}); // below it again: paging resumes, up to the thumb at 68-75
  EXPECT_TRUE(QTest::qWaitFor([&] { return b.bar.Value() == 90; }, 5000));
  QTest::qWait(120);
  EXPECT_EQ(b.bar.Value(), 90);
  release(b.bar, {8, 75});
  EXPECT_FALSE(b.bar.timerRunning(ucScrollbar::kRepeatTimer));
  EXPECT_EQ(b.bar.pressedPart(), kNoPart);
}

TEST(ScrollbarMouse, ThumbDragFollowsSnapsBackAndResumes) {
  Bar b;
  b.bar.setLargeChange(1);
  b.bar.setMax(14); // thumb 8, 56 pixels of travel, 4 pixels per step
  QSignalSpy scroll(&b.bar, &ucScrollbar::Scroll);
  QSignalSpy change(&b.bar, &ucScrollbar::Change);
  press(b.bar, {8, 20});  // the thumb at 18-25, grabbed 2 pixels in
  dragTo(b.bar, {8, 30}); // leading edge 28: 10 / 4 = 2.5 rounds to 2
  EXPECT_EQ(b.bar.parts().thumbPosition(), 28);
  EXPECT_EQ(b.bar.Value(), 2);
  EXPECT_EQ(scroll.count(), 1);
  dragTo(b.bar, {8, 34}); // 3.5 rounds to 4
  EXPECT_EQ(b.bar.Value(), 4);
  dragTo(b.bar, {300, 34}); // far to the side: back to the start value
  EXPECT_EQ(b.bar.Value(), 0);
  EXPECT_EQ(b.bar.parts().thumbPosition(), 18);
  dragTo(b.bar, {200, 1000}); // too far along as well
  EXPECT_EQ(b.bar.Value(), 0);
  dragTo(b.bar, {200, 200}); // within 250 across and 25 along... only across: still off
  dragTo(b.bar, {200, 110}); // within both: tracks again, held at the track's end
  EXPECT_EQ(b.bar.parts().thumbPosition(), 82 - 8);
  EXPECT_EQ(b.bar.Value(), 14);
  EXPECT_EQ(change.count(), 0); // no Change while dragging
  release(b.bar, {200, 110});
  EXPECT_EQ(change.count(), 1);
  EXPECT_GE(scroll.count(), 3);
}

// Looks: the frame a part is drawn from for each hover and press state.
TEST(ScrollbarLooks, HoverPressedAndDisabledFrames) {
  Bar b;
  const QPoint arrow(1, 1); // an edge pixel of the first arrow's button
  const QPoint thumb(0, 18);
  const QPoint track(0, 30);
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 0, 0));
  hoverAt(b.bar, {8, 50}); // first move: the pointer is inside
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 1, 0));
  hoverAt(b.bar, {8, 5}); // over the arrow
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 2, 0));
  hoverAt(b.bar, {8, 20}); // over the thumb: the arrow cools
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 1, 0));
  EXPECT_EQ(b.pixel(thumb), artColour(test::kThumbV, 1, 0));
  // Shift held counts as a key state: no hover tracking, nothing pressed.
  hoverAt(b.bar, {8, 5}, Qt::ShiftModifier);
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 1, 0));

  press(b.bar, {8, 20});
  EXPECT_EQ(b.pixel(thumb), artColour(test::kThumbV, 2, 0));
  release(b.bar, {8, 20});
  b.bar.setValue(50);
  press(b.bar, {8, 5});
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 3, 0));
  dragTo(b.bar, {8, 50}); // pressed, pointer off the arrow: not shown pressed
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 1, 0));
  release(b.bar, {8, 50});
  press(b.bar, {8, 20}); // first track
  EXPECT_EQ(b.pixel(track), artColour(test::kBackV, 1, 0));
  release(b.bar, {8, 20});
  EXPECT_EQ(b.pixel(track), artColour(test::kBackV, 0, 0));

  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&b.bar, &leave);
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 0, 0));
  b.bar.setEnabled(false);
  EXPECT_EQ(b.pixel(arrow), artColour(test::kArrowV, 4, 0));
  EXPECT_EQ(b.pixel({0, 81}), artColour(test::kBackV, 0, 0));
  EXPECT_EQ(b.pixel(b.bar.parts().part(kThumb).topLeft()), artColour(test::kThumbV, 3, 0));
  // Nothing held: no timer runs.
  EXPECT_FALSE(b.bar.timerRunning(ucScrollbar::kDelayTimer));
  EXPECT_FALSE(b.bar.timerRunning(ucScrollbar::kRepeatTimer));
}

TEST(ScrollbarMouse, HidingWhileHeldStopsTheRepeat) {
  Bar b;
  b.bar.setValue(50);
  b.bar.show();
  press(b.bar, {8, 90});
  EXPECT_TRUE(b.bar.timerRunning(ucScrollbar::kDelayTimer));
  b.bar.hide();
  EXPECT_FALSE(b.bar.timerRunning(ucScrollbar::kDelayTimer));
  EXPECT_EQ(b.bar.pressedPart(), kNoPart);
}

// While an arrow repeats, the mouse may go elsewhere without a release ever reaching the bar:
// another window takes the activation, a modal window blocks the bar's, a pop-up opens, another
// widget grabs the mouse. The repeat stops, as on the release.
TEST(ScrollbarMouse, LosingTheMouseWhileAnArrowRepeatsStopsTheRepeat) {
  enum Way { OtherWindow, ModalWindow, PopUp, Grab };
  for (Way way : {OtherWindow, ModalWindow, PopUp, Grab}) {
    SCOPED_TRACE(way);
    Bar b;
    b.bar.setValue(50);
    b.bar.setChangeDelay(0);
    b.bar.setChangeFrequency(25);
    b.bar.show();
    b.bar.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.bar.isActiveWindow(); }, 5000));
    press(b.bar, {8, 90});
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.bar.Value() >= 53; }, 5000)) << "repeating";

    QWidget other;
    QMenu menu;
    menu.addAction(QStringLiteral("x"));
    switch (way) {
    case OtherWindow:
      other.show();
      QApplication::setActiveWindow(&other);
      break;
    case ModalWindow:
      other.setWindowModality(Qt::ApplicationModal);
      other.show();
      break;
    case PopUp: menu.popup(QPoint(300, 300)); break;
    case Grab:
      other.show();
      other.grabMouse();
      break;
    }
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          return !b.bar.timerRunning(ucScrollbar::kRepeatTimer) &&
                 !b.bar.timerRunning(ucScrollbar::kDelayTimer);
        },
        5000));
    EXPECT_EQ(b.bar.pressedPart(), kNoPart);
    const int stopped = b.bar.Value();
    QTest::qWait(100);
    EXPECT_EQ(b.bar.Value(), stopped);
    if (way == Grab)
      other.releaseMouse();
    menu.close();
  }
}

} // namespace
} // namespace lumiqo
