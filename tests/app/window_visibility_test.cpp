// Under a real X server and window manager (window_visibility_test.sh starts them, once
// without and once with a compositing manager): whether other windows cover a widget, and
// whether the server's screen saver counts as the screen sleeping. Skipped elsewhere.

#include "app/screen_sleep.h"
#include "app/window_occlusion.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

using lumiqo::ScreenSleep;
using lumiqo::WindowOcclusion;

namespace {

constexpr int kWaitMs = 15000;

bool onX11() {
  return QGuiApplication::platformName() == QLatin1String("xcb");
}

class Desk : public ::testing::Test {
protected:
  QWidget window{nullptr, Qt::Window};
  QWidget *area = nullptr; // a caption-sized strip inside the window

  void SetUp() override {
    if (!onX11())
      GTEST_SKIP() << "needs an X server and a window manager (window_visibility_test.sh)";
    window.setWindowTitle(QStringLiteral("watched"));
    window.setGeometry(200, 200, 320, 200);
    area = new QWidget(&window);
    area->setGeometry(60, 90, 180, 16);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kWaitMs));
  }

  QRect areaOnScreen() const { return QRect(area->mapToGlobal(QPoint(0, 0)), area->size()); }

  // A frameless window over `where`, on top.
  static std::unique_ptr<QWidget> windowOver(const QRect &where, qreal opacity = 1.0,
                                             const QRegion &mask = QRegion()) {
    auto w = std::make_unique<QWidget>(nullptr, Qt::Window | Qt::FramelessWindowHint);
    w->setGeometry(where);
    w->setWindowOpacity(opacity);
    if (!mask.isEmpty())
      w->setMask(mask);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get(), kWaitMs));
    w->raise();
    return w;
  }

  static bool becomes(const WindowOcclusion &watch, bool covered) {
    return QTest::qWaitFor([&] { return watch.covered() == covered; }, kWaitMs);
  }
};

} // namespace

TEST_F(Desk, AWindowOverTheWholeAreaCoversItAndHalfOfItDoesNot) {
  WindowOcclusion watch(*area);
  EXPECT_FALSE(watch.covered());
  auto cover = windowOver(areaOnScreen().adjusted(-20, -20, 20, 20));
  EXPECT_TRUE(becomes(watch, true)) << "a window over the area";
  cover->move(cover->pos() + QPoint(areaOnScreen().width() / 2, 0));
  EXPECT_TRUE(becomes(watch, false)) << "half of the area shows";
  // Two windows that together hide it cover it.
  const QRect left(areaOnScreen().topLeft() - QPoint(20, 20), QSize(areaOnScreen().width() / 2 + 20, 60));
  auto second = windowOver(left);
  EXPECT_TRUE(becomes(watch, true)) << "two windows, each over a half";
  second->hide();
  EXPECT_TRUE(becomes(watch, false)) << "the second went away";
  cover->hide();
  window.raise();
  EXPECT_FALSE(watch.covered());
}

TEST_F(Desk, WindowsThatLetTheAreaShowThroughDoNotCoverIt) {
  WindowOcclusion watch(*area);
  const QRect over = areaOnScreen().adjusted(-20, -20, 20, 20);
  const QRect hole(QPoint(30, 25), QSize(10, 5)); // inside the area, in the window's coordinates
  auto translucent = windowOver(over, 0.5);
  auto holed = windowOver(over, 1.0, QRegion(QRect(QPoint(0, 0), over.size())) - QRegion(hole));
  // An opaque window on top covers it; once it goes, the two left do not.
  auto opaque = windowOver(over);
  EXPECT_TRUE(becomes(watch, true));
  opaque->hide();
  EXPECT_TRUE(becomes(watch, false)) << "under a half-transparent window and one with a hole in it";
}

TEST_F(Desk, AMinimisedWindowShowsNothing) {
  WindowOcclusion watch(*area);
  EXPECT_FALSE(watch.covered());
  window.showMinimized();
  EXPECT_TRUE(becomes(watch, true));
  window.showNormal();
  EXPECT_TRUE(becomes(watch, false));
}

TEST(ScreenSaver, TheServersScreenSaverPutsTheScreenToSleep) {
  if (!onX11())
    GTEST_SKIP() << "needs an X server (window_visibility_test.sh)";
  ScreenSleep sleep(QDBusConnection(QStringLiteral("none")));
  EXPECT_FALSE(sleep.asleep());
  ASSERT_EQ(QProcess::execute(QStringLiteral("xset"), {"s", "activate"}), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return sleep.asleep(); }, kWaitMs));
  ASSERT_EQ(QProcess::execute(QStringLiteral("xset"), {"s", "reset"}), 0);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !sleep.asleep(); }, kWaitMs));
}
