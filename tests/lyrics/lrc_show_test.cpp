// The lyrics view as drawn: read back from its surface and from the widget rendered to an
// image under the offscreen platform.
#include "lyrics/lrc_show.h"

#include "base/colour.h"
#include "lyrics_colours.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

constexpr std::uint32_t kBack = RGB(0, 0, 64);
using test::kFore;
using test::kLrc;

// Rows (pixel lines) of an image holding a pixel of exactly this colour.
std::vector<int> rowsWith(const QImage &image, std::uint32_t colour) {
  const QRgb wanted = toQColor(colour).rgb();
  std::vector<int> rows;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == wanted) {
        rows.push_back(y);
        break;
      }
  return rows;
}

class LrcShowTest : public ::testing::Test {
protected:
  void SetUp() override {
    view.setClockForTesting([this] { return now; });
    view.ReadProperties({kBack, kFore, kLrc, QString(), QString(), false});
    view.resize(300, 200);
    QFont font = view.font();
    font.setPixelSize(16);
    view.setFont(font);
    view.show(); // hidden widgets get their resize (a refresh that clears) only when shown
    QApplication::processEvents();
  }
  double lineTop() const { // y0 in pixels
    return (200.0 * 15 - QFontMetricsF(view.font()).height() * 15) / 2 / 15;
  }
  double now = 5000;
  LrcShow view;
};

TEST_F(LrcShowTest, NothingIsDrawnBeforeAnyBegin) {
  view.redarw();
  view.setTime(100);
  EXPECT_FALSE(view.timerActive());
  EXPECT_TRUE(rowsWith(view.surface(), kFore).empty());
  EXPECT_EQ(view.surface().pixel(150, 100), toQColor(kBack).rgb());
}

TEST_F(LrcShowTest, OneLineMessageIsCentredInLrcColourAndRendered) {
  view.begin(0, false, QStringLiteral("[00:00.00]暂无歌词\r\n127.0.0.1"));
  EXPECT_TRUE(view.timerActive());
  now += 3; // far past the last entry: a two-entry timeline does not scroll
  view.redarw();
  const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const std::vector<int> rows = rowsWith(shown, kLrc);
  ASSERT_FALSE(rows.empty()) << "the Chinese line must be drawn";
  const double top = lineTop();
  EXPECT_GE(rows.front(), top - 1);
  EXPECT_LE(rows.back(), top + QFontMetricsF(view.font()).height() + 1);
  EXPECT_TRUE(rowsWith(shown, kFore).empty());
}

TEST_F(LrcShowTest, CurrentLineAtItsRowInItsColour) {
  view.begin(0, false, QStringLiteral("[00:01.00]一二三\r\n[00:11.00]四五六\r\n[00:21.00]七八九"));
  now += 16.0; // 60 % into the line at 11 s: offset 0.4 * 270 - 120 = -12 twips
  view.setTime(1600);
  const QImage shown = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const std::vector<int> current = rowsWith(shown, RGB(255, 255, 0));
  ASSERT_FALSE(current.empty());
  const double top = lineTop() - 12.0 / 15;
  EXPECT_GE(current.front(), top - 1);
  EXPECT_LE(current.back(), top + QFontMetricsF(view.font()).height() + 1);
  // The other lines are drawn in ForeColor, one row (18 px) above and below.
  const std::vector<int> others = rowsWith(shown, kFore);
  ASSERT_FALSE(others.empty());
  EXPECT_LT(others.front(), top - 10);
  EXPECT_GT(others.back(), top + 18);
}

TEST_F(LrcShowTest, TheLastLineStaysLitUntilTheSongEndsOrAnEndTag) {
  const double height = QFontMetricsF(view.font()).height();
  auto litRows = [&] {
    view.redarw();
    return rowsWith(view.grab().toImage().convertToFormat(QImage::Format_RGB32), RGB(255, 255, 0));
  };
  // No tag after the last line: a minute on, it is still there, lit, near the middle.
  view.begin(0, false, QStringLiteral("[00:01.00]一二三\r\n[00:03.00]四五六"));
  now += 63;
  const std::vector<int> held = litRows();
  ASSERT_FALSE(held.empty()) << "the last line must stay readable";
  EXPECT_GE(held.front(), lineTop() + 150.0 / 15 - 1);
  EXPECT_LE(held.back(), lineTop() + 150.0 / 15 + height + 1);

  // An end tag after it: the line is lit until the tag, then nothing is lit any more.
  view.begin(0, false, QStringLiteral("[00:01.00]一二三\r\n[00:03.00]四五六\r\n[00:05.00]"));
  now += 4.5;
  EXPECT_FALSE(litRows().empty());
  now += 60;
  EXPECT_TRUE(litRows().empty());
}

TEST_F(LrcShowTest, SleepingThroughStillTicksShowsWhatTickingEveryTimeShows) {
  LrcShow every;
  every.setClockForTesting([this] { return now; });
  every.ReadProperties({kBack, kFore, kLrc, QString(), QString(), false});
  every.resize(300, 200);
  every.setFont(view.font());
  every.show();
  QApplication::processEvents();
  const QString lyrics = QStringLiteral("[00:00.50]一\r\n[00:01.00]二\r\n[00:01.20]三\r\n[00:03.00]四");
  every.begin(0, false, lyrics);
  view.begin(0, false, lyrics);
  int wakeAt = view.nextTickDelayMs() / LrcShow::kTickIntervalMs;
  int wakes = 0;
  for (int step = 1; step <= 400; ++step) { // 6 s on the 15 ms grid, past the last line
    now += LrcShow::kTickIntervalMs / 1000.0;
    every.redarw();
    if (step == wakeAt) {
      view.redarw();
      wakeAt = step + view.nextTickDelayMs() / LrcShow::kTickIntervalMs;
      ++wakes;
    }
    ASSERT_EQ(view.surface(), every.surface()) << "step " << step;
  }
  EXPECT_LT(wakes, 200);
}

TEST_F(LrcShowTest, PastTheLastLineItSleepsUntilTheClockIsSetAgain) {
  view.begin(0, false, QStringLiteral("[00:01.00]一\r\n[00:02.00]二"));
  EXPECT_TRUE(view.tickPending());
  now += 1.5;
  view.redarw();
  EXPECT_TRUE(view.tickPending()) << "the second line is still to come";
  now += 1.0;
  view.redarw(); // the last line lit: nothing can move any more
  const QImage lit = view.surface();
  EXPECT_FALSE(view.tickPending());
  EXPECT_TRUE(view.timerActive()) << "asleep, not switched off";
  now += 600;
  view.redarw();
  EXPECT_EQ(view.surface(), lit);
  EXPECT_FALSE(view.tickPending());

  view.setTime(50); // a seek back: the lines move again
  EXPECT_TRUE(view.tickPending());
  EXPECT_NE(view.surface(), lit);
  view.StopShow();
  view.setTime(50);
  EXPECT_FALSE(view.tickPending()) << "a view switched off stays off";
}

TEST_F(LrcShowTest, TimerSwitchesAndEmptyBeginKeepsState) {
  view.begin(0, false, QStringLiteral("[00:01.00]a"));
  EXPECT_TRUE(view.timerActive());
  view.StopShow();
  EXPECT_FALSE(view.timerActive());
  view.begin(0, false, QString()); // nothing to show: timer, clock and lines stay
  EXPECT_FALSE(view.timerActive());
  EXPECT_EQ(view.timeline().lines().size(), 2u);
  view.setTimerE(true);
  EXPECT_TRUE(view.timerActive() && view.TimerE());
  view.setTimerE(false);
  EXPECT_FALSE(view.timerActive());
}

TEST_F(LrcShowTest, RefreshRaisesPaintAndKeepsThePictureAsBackground) {
  QSignalSpy paint(&view, &LrcShow::Paint);
  view.setForeColor(RGB(1, 2, 3));
  view.resize(320, 200);
  EXPECT_EQ(paint.count(), 2);

  QImage picture(20, 20, QImage::Format_RGB32);
  picture.fill(Qt::green);
  view.PaintPicture1(picture, 0, 0, 300, 300, 0, 0, 300, 300); // 20 px at 15 twips a pixel
  view.Line1(0, 1500, 4500, 1500, RGB(255, 0, 0));
  EXPECT_EQ(view.surface().pixel(5, 100), qRgb(255, 0, 0));
  view.begin(0, false, QStringLiteral("[00:01.00]a\r\n[00:02.00]b\r\n[00:03.00]c"));
  // The tick cleared the line but the picture stays as the surface's background.
  EXPECT_EQ(view.surface().pixel(5, 5), qRgb(0, 255, 0));
  EXPECT_EQ(view.surface().pixel(5, 100), toQColor(kBack).rgb());
}

TEST_F(LrcShowTest, HostAnsweringPaintWithAPictureDoesNotRepaintForever) {
  QImage picture(10, 10, QImage::Format_RGB32);
  picture.fill(Qt::darkGreen);
  int paints = 0;
  QObject::connect(&view, &LrcShow::Paint, [&] {
    ++paints;
    view.PaintPicture1(picture, 0, 0, 150, 150, 0, 0, 150, 150);
  });
  view.update(); // a paint notification from outside: the host lays its background
  for (int i = 0; i < 20; ++i)
    QApplication::processEvents();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(view.surface().pixel(2, 2), QColor(Qt::darkGreen).rgb());
}

TEST_F(LrcShowTest, MissingBackPictureLeavesThePlainBackground) {
  QTemporaryDir dir;
  view.setBackPicture(dir.filePath(QStringLiteral("none.bmp")));
  EXPECT_EQ(view.surface().pixel(1, 1), toQColor(kBack).rgb());
  EXPECT_EQ(view.BackPicture(), dir.filePath(QStringLiteral("none.bmp")));
}

} // namespace
} // namespace lumiqo
