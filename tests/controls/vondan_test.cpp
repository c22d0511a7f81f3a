// The image button: its strip cut into four looks, the blends, the look per state, the five
// events, and what a new picture does. Pictures are read back from the rendered widget.
#include "controls/vondan.h"

#include "support/mouse.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

// A strip whose every pixel is different: red and green follow the position, blue the look.
QImage makeStrip(int width, int height) {
  QImage strip(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      strip.setPixel(x, y, qRgb((x * 7) % 256, (y * 11 + x) % 256, 40 + 60 * (x * 4 / width)));
  return strip;
}

QImage shown(vondan &button) {
  return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(ButtonStrip, FrameWidthRoundsHalvesToEvenAndTheLastFrameEndsAtTheStripsEdge) {
  EXPECT_EQ(quarterRounded(100), 25);
  EXPECT_EQ(quarterRounded(102), 26); // 25.5
  EXPECT_EQ(quarterRounded(98), 24);  // 24.5
  EXPECT_EQ(quarterRounded(101), 25);
  EXPECT_EQ(quarterRounded(103), 26);
  for (int width = 4; width < 40; ++width) {
    const QRect last = stripFrame(width, 5, 3);
    EXPECT_EQ(last.left() + last.width(), width) << width;
    EXPECT_EQ(stripFrame(width, 5, 0).left(), 0);
  }
}

TEST(ButtonStrip, BlendIsTheChannelMeanRoundedHalfToEven) {
  QImage a(256, 256, QImage::Format_RGB32);
  QImage b(256, 200, QImage::Format_ARGB32); // another format, and smaller: the blend is 256 x 200
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      a.setPixel(x, y, qRgb(x, y, (x + y) % 256));
      if (y < 200)
        b.setPixel(x, y, qRgba(y, x, (x * 3) % 256, 255));
    }
  const QImage blend = halfAndHalf(a, b);
  ASSERT_EQ(blend.size(), QSize(256, 200));
  const auto mean = [](int p, int q) { return static_cast<int>(std::nearbyint((p + q) / 2.0)); };
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 256; ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y), r = blend.pixel(x, y);
      ASSERT_EQ(qRed(r), mean(qRed(p), qRed(q))) << x << "," << y;
      ASSERT_EQ(qGreen(r), mean(qGreen(p), qGreen(q))) << x << "," << y;
      ASSERT_EQ(qBlue(r), mean(qBlue(p), qBlue(q))) << x << "," << y;
    }
  // The two cases the rounding turns on.
  QImage ten(1, 1, QImage::Format_RGB32), eleven(1, 1, QImage::Format_RGB32),
      twelve(1, 1, QImage::Format_RGB32);
  ten.fill(qRgb(10, 10, 10));
  eleven.fill(qRgb(11, 11, 11));
  twelve.fill(qRgb(12, 12, 12));
  EXPECT_EQ(halfAndHalf(ten, eleven).pixel(0, 0), qRgb(10, 10, 10));
  EXPECT_EQ(halfAndHalf(eleven, twelve).pixel(0, 0), qRgb(12, 12, 12));
}

class VondanTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    strip = makeStrip(100, 25);
    path = dir.filePath("play.bmp");
    ASSERT_TRUE(strip.save(path));
    ASSERT_TRUE(button.setUPicPath(path)) << button.errorString().toStdString();
  }
  QImage look(int k) const { return strip.copy(25 * k, 0, 25, 25); }
  // Waits for the blend's tick; the test fails when it never comes.
  void waitForTick() {
    ASSERT_TRUE(QTest::qWaitFor([this] { return !button.timerActive(); }, 5000));
  }
  void send(QEvent::Type type, QPointF at, Qt::MouseButton changed, Qt::MouseButtons held) {
    test::sendMouse(&button, type, at, changed, held);
  }

  QTemporaryDir dir;
  QImage strip;
  QString path;
  vondan button;
};

TEST_F(VondanTest, LoadingShowsTheLeftQuarterAtFrameSize) {
  EXPECT_EQ(button.uPicPath(), path);
  EXPECT_EQ(button.frameSize(), QSize(25, 25));
  EXPECT_EQ(button.size(), QSize(25, 25));
  EXPECT_EQ(button.state(), 0);
  EXPECT_EQ(shown(button), look(0));
  EXPECT_FALSE(button.timerActive());
  // The blends are symmetric and exist only for pairs of looks 1..3.
  EXPECT_EQ(button.blendImage(1, 2), halfAndHalf(look(1), look(2)));
  EXPECT_EQ(button.blendImage(3, 2), button.blendImage(2, 3));
  EXPECT_TRUE(button.blendImage(0, 1).isNull());
}

TEST_F(VondanTest, EachStateShowsItsLookAfterOneBlendTickAndTheTimerThenStops) {
  button.resize(40, 40); // a host may size it; a change of state brings it back to one frame
  button.vondpicy_m(1);  // 0 -> 1 has no blend: look 0 stays until the tick
  EXPECT_EQ(button.size(), QSize(25, 25));
  EXPECT_EQ(shown(button), look(0));
  waitForTick();
  EXPECT_EQ(shown(button), look(1));

  const std::pair<int, int> changes[] = {{1, 2}, {2, 3}, {3, 1}, {1, 3}, {3, 2}, {2, 1}};
  for (const auto &[from, to] : changes) {
    ASSERT_EQ(button.state(), from);
    button.vondpicy_m(to);
    EXPECT_EQ(button.shownPicture(), 10 * from + to);
    EXPECT_EQ(shown(button), halfAndHalf(look(from), look(to))) << from << "->" << to;
    EXPECT_TRUE(button.timerActive());
    waitForTick();
    EXPECT_EQ(shown(button), look(to)) << to;
  }
  button.vondpicy_m(1); // no change: no tick
  button.vondpicy_m(4); // no such look
  button.vondpicy_m(-1);
  EXPECT_EQ(button.state(), 1);
  EXPECT_FALSE(button.timerActive());
}

TEST_F(VondanTest, PressAndReleaseInPlaceClicksAndKeepsThePressedLook) {
  QSignalSpy down(&button, &vondan::MouseDown), up(&button, &vondan::MouseUp), click(&button, &vondan::Click),
      moved(&button, &vondan::MouseMove);
  send(QEvent::MouseMove, {10, 12}, Qt::NoButton, Qt::NoButton);
  ASSERT_EQ(moved.count(), 1);
  EXPECT_EQ(moved[0][2].toFloat(), 150.0f); // twips
  EXPECT_EQ(moved[0][3].toFloat(), 180.0f);
  EXPECT_EQ(button.state(), 1);

  send(QEvent::MouseButtonPress, {10, 12}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(button.state(), 2);
  EXPECT_TRUE(button.pressed());
  EXPECT_EQ(down.count(), 1);
  EXPECT_EQ(down[0][0].toInt(), 1); // the left button
  send(QEvent::MouseButtonRelease, {10, 12}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(up.count(), 1);
  EXPECT_EQ(click.count(), 1);
  EXPECT_FALSE(button.pressed());
  waitForTick();
  EXPECT_EQ(button.state(), 2);
  EXPECT_EQ(shown(button), look(2));

  send(QEvent::MouseMove, {11, 12}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(button.state(), 1); // the next move ends the pressed look

  // Another button counts as a press but does not click.
  send(QEvent::MouseButtonPress, {10, 12}, Qt::RightButton, Qt::RightButton);
  EXPECT_EQ(button.state(), 2);
  send(QEvent::MouseButtonRelease, {10, 12}, Qt::RightButton, Qt::NoButton);
  EXPECT_EQ(down.count(), 2);
  EXPECT_EQ(down[1][0].toInt(), 2);
  EXPECT_EQ(click.count(), 1);
}

TEST_F(VondanTest, DraggingOutLeavesOnceAndTheReleaseOutsideDoesNotClick) {
  QSignalSpy left(&button, &vondan::MouseLeave), up(&button, &vondan::MouseUp),
      click(&button, &vondan::Click);
  send(QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
  send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, {30, 5}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(left.count(), 1);
  EXPECT_EQ(button.state(), 3);
  EXPECT_FALSE(button.pressed());
  send(QEvent::MouseMove, {40, 5}, Qt::NoButton, Qt::LeftButton); // the mouse is no longer held
  send(QEvent::MouseButtonRelease, {40, 5}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(left.count(), 1);
  EXPECT_EQ(up.count(), 0);
  EXPECT_EQ(click.count(), 0);
  EXPECT_EQ(shown(button), halfAndHalf(look(2), look(3)));

  // Dragged out and back in, the press stays cancelled: the release is reported, no click.
  send(QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
  send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  send(QEvent::MouseMove, {-1, 5}, Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(button.state(), 1);
  send(QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(up.count(), 1);
  EXPECT_EQ(click.count(), 0);
}

TEST_F(VondanTest, RightAndBottomEdgesCountAsInside) {
  QSignalSpy left(&button, &vondan::MouseLeave), moved(&button, &vondan::MouseMove);
  send(QEvent::MouseMove, {25, 25}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(moved.count(), 1);
  EXPECT_EQ(button.state(), 1);
  send(QEvent::MouseMove, {0, 0}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(moved.count(), 2);
  EXPECT_EQ(left.count(), 0);
  send(QEvent::MouseMove, {25.5, 10}, Qt::NoButton, Qt::NoButton);
  EXPECT_EQ(left.count(), 1);
  EXPECT_EQ(button.state(), 3);

  // Without a button held the platform reports leaving, not a move outside.
  send(QEvent::MouseMove, {10, 25}, Qt::NoButton, Qt::NoButton);
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&button, &leave);
  EXPECT_EQ(left.count(), 2);
  QCoreApplication::sendEvent(&button, &leave); // already out: nothing more
  EXPECT_EQ(left.count(), 2);
}

TEST_F(VondanTest, ANewPictureInThePressedStateShowsItsFirstLookAtOnce) {
  send(QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  ASSERT_EQ(button.state(), 2);
  const QImage other = makeStrip(102, 30).mirrored(true, false);
  const QString otherPath = dir.filePath("other.bmp");
  ASSERT_TRUE(other.save(otherPath));
  ASSERT_TRUE(button.setUPicPath(otherPath));
  EXPECT_EQ(button.state(), 0);
  EXPECT_FALSE(button.timerActive());
  EXPECT_EQ(button.frameSize(), QSize(26, 30)); // 25.5 rounds to 26
  EXPECT_EQ(shown(button), other.copy(0, 0, 26, 30));
  button.vondpicy_m(3); // from 0: no blend
  waitForTick();
  EXPECT_EQ(shown(button), other.copy(76, 0, 26, 30)); // the last look ends at the strip's edge
}

TEST_F(VondanTest, AFailedLoadKeepsTheOldPictureAndPath) {
  const QString good = button.uPicPath();
  EXPECT_FALSE(button.setUPicPath(dir.filePath("missing.bmp")));
  EXPECT_TRUE(button.errorString().contains("missing.bmp"));
  EXPECT_EQ(button.unreadableFiles(), QStringList{dir.filePath("missing.bmp")});
  QFile junk(dir.filePath("junk.bmp"));
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.write("BM not really");
  junk.close();
  EXPECT_FALSE(button.setUPicPath(junk.fileName()));
  // A strip cut short is refused too, not drawn from the rows it lacks.
  QFile whole(good);
  ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
  QFile cut(dir.filePath("cut.bmp"));
  ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
  cut.write(whole.read(100));
  cut.close();
  EXPECT_FALSE(button.setUPicPath(cut.fileName()));
  EXPECT_EQ(button.uPicPath(), good);
  // Frames of 2185 pixels do not fit the 16-bit twip sizes; 2184 do.
  const QString wide = dir.filePath("wide.bmp");
  ASSERT_TRUE(QImage(4 * 2185, 1, QImage::Format_RGB32).save(wide));
  EXPECT_FALSE(button.setUPicPath(wide));
  EXPECT_EQ(button.frameSize(), QSize(25, 25));
  EXPECT_EQ(shown(button), look(0));
  const QString widest = dir.filePath("widest.bmp");
  ASSERT_TRUE(QImage(4 * 2184, 1, QImage::Format_RGB32).save(widest));
  EXPECT_TRUE(button.setUPicPath(widest));
  EXPECT_EQ(button.frameSize(), QSize(2184, 1));
}

} // namespace
} // namespace lumiqo
