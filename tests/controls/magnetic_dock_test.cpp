// The move/size loop and the docking object on real frameless windows, driven by synthetic
// mouse events on the offscreen platform (its one screen's work area is 0,0 800x800).
#include "controls/magnetic_dock.h"
#include "support/frameless_test_window.h"

#include <QApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <memory>

namespace lumiqo {
namespace {

struct Docked : ::testing::Test {
  std::unique_ptr<FramelessTestWindow> main = win("main", {200, 150, 300, 120});
  std::unique_ptr<FramelessTestWindow> lyrics = win("lyrics", {500, 150, 200, 300});
  std::unique_ptr<FramelessTestWindow> playlist = win("playlist", {200, 270, 300, 280});
  MagneticDock dock;

  static std::unique_ptr<FramelessTestWindow> win(const char *name, QRect r) {
    auto w = std::make_unique<FramelessTestWindow>(name, Qt::gray, r);
    w->show();
    return w;
  }

  void SetUp() override {
    ASSERT_EQ(QApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 800, 800));
    ASSERT_TRUE(dock.AddWindow(main.get()));
    ASSERT_TRUE(dock.AddWindow(lyrics.get(), main.get()));
    ASSERT_TRUE(dock.AddWindow(playlist.get(), main.get()));
  }

  static void send(QWidget *w, QEvent::Type type, QPoint global, Qt::MouseButton button = Qt::LeftButton) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, w->mapFromGlobal(global), global, type == QEvent::MouseMove ? Qt::NoButton : button,
                  held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
  }

  // Presses at `at` (window coordinates), moves by `by` in `steps` steps, releases.
  static void drag(QWidget *w, QPoint at, QPoint by, int steps = 8) {
    const QPoint from = w->mapToGlobal(at);
    send(w, QEvent::MouseButtonPress, from);
    for (int i = 1; i <= steps; ++i)
      send(w, QEvent::MouseMove, from + by * i / steps);
    send(w, QEvent::MouseButtonRelease, from + by);
  }

  QPoint offset(const QWidget *w) const { return w->pos() - main->pos(); }
};

TEST_F(Docked, DraggingTheMainWindowCarriesTheGluedWindowsAlong) {
  ASSERT_TRUE(dock.IsGlued(lyrics.get()));
  ASSERT_TRUE(dock.IsGlued(playlist.get()));
  drag(main.get(), {150, 60}, {-123, 61});
  EXPECT_EQ(main->pos(), QPoint(77, 211));
  EXPECT_EQ(offset(lyrics.get()), QPoint(300, 0));
  EXPECT_EQ(offset(playlist.get()), QPoint(0, 120));
  EXPECT_EQ(playlist->size(), QSize(300, 280));

  // The playlist window comes within 9 px of the bottom: the whole group goes flush.
  drag(main.get(), {150, 60}, {0, 800 - 550 - 61 - 7});
  EXPECT_EQ(playlist->frameGeometry().bottom() + 1, 800);
  EXPECT_EQ(main->pos(), QPoint(77, 400));
  EXPECT_EQ(offset(lyrics.get()), QPoint(300, 0));
}

TEST_F(Docked, AChildDraggedAwayComesLooseAndBackWithinNinePixelsGluesAgain) {
  drag(playlist.get(), {150, 100}, {40, 60});
  EXPECT_EQ(playlist->pos(), QPoint(240, 330));
  EXPECT_FALSE(dock.IsGlued(playlist.get()));
  drag(main.get(), {150, 60}, {-50, 0});
  EXPECT_EQ(playlist->pos(), QPoint(240, 330)) << "a loose window stays behind";
  EXPECT_EQ(lyrics->pos(), QPoint(450, 150));

  // Back under the main window, 9 px low and 4 px right: it snaps flush and left-aligned.
  drag(playlist.get(), {150, 100}, {-86, -51});
  EXPECT_EQ(playlist->pos(), QPoint(150, 270));
  EXPECT_TRUE(dock.IsGlued(playlist.get()));
  drag(main.get(), {150, 60}, {30, 20});
  EXPECT_EQ(offset(playlist.get()), QPoint(0, 120));

  // 10 px low is out of reach (and 20 px short of the lyrics window): it stays there, loose.
  drag(playlist.get(), {150, 100}, {-20, 10});
  EXPECT_EQ(offset(playlist.get()), QPoint(-20, 130));
  EXPECT_FALSE(dock.IsGlued(playlist.get()));
}

TEST_F(Docked, TheGlueAtTheReleaseFollowsWhereTheDragPutTheWindows) {
  drag(playlist.get(), {150, 100}, {300, 300});
  ASSERT_FALSE(dock.IsGlued(playlist.get()));
  // Dropped flush under the main window, while the window server still reports an earlier
  // step's position at the release.
  const QPoint from = playlist->mapToGlobal(QPoint(150, 100));
  send(playlist.get(), QEvent::MouseButtonPress, from);
  send(playlist.get(), QEvent::MouseMove, from - QPoint(300, 295));
  ASSERT_EQ(playlist->pos(), QPoint(200, 270));
  playlist->move(195, 275);
  send(playlist.get(), QEvent::MouseButtonRelease, from - QPoint(300, 295));
  EXPECT_TRUE(dock.IsGlued(playlist.get()));
}

TEST_F(Docked, GripsResizeWithinTheMinimumSizeAndSnap) {
  // Bottom grip of the playlist window: its bottom edge to 5 px above the work area's.
  drag(playlist.get(), {150, 278}, {0, 245});
  EXPECT_EQ(playlist->geometry(), QRect(200, 270, 300, 530));
  // Left grip far to the right: the right edge stays, the width stops at the minimum.
  drag(playlist.get(), {2, 100}, {400, 0});
  EXPECT_EQ(playlist->geometry(), QRect(440, 270, 60, 530));
  // Top-left grip of the lyrics window: its top edge 8 px below the work area's top.
  drag(lyrics.get(), {1, 1}, {-30, -142});
  EXPECT_EQ(lyrics->geometry(), QRect(470, 0, 230, 450));
}

TEST_F(Docked, OnlyALeftPressOnAKnownAreaOfAWindowThatIsNotMaximisedArmsTheLoop) {
  WindowDragLoop *loop = main->loop();
  EXPECT_FALSE(loop->pressed(WindowDragLoop::Caption, {250, 200}, Qt::RightButton));
  EXPECT_FALSE(loop->pressed(1, {250, 200}));
  EXPECT_FALSE(loop->pressed(18, {250, 200}));
  main->showMaximized();
  EXPECT_FALSE(loop->pressed(WindowDragLoop::Caption, {250, 200}));
  main->showNormal();
  ASSERT_TRUE(loop->pressed(WindowDragLoop::Caption, {250, 200}));
  EXPECT_FALSE(loop->pressed(WindowDragLoop::Caption, {250, 200})) << "already dragging";
  loop->released();
  EXPECT_FALSE(loop->isActive());
}

TEST_F(Docked, HidingTheWindowEndsTheDragAndRechecksTheGlue) {
  const QPoint from = playlist->mapToGlobal(QPoint(150, 100));
  send(playlist.get(), QEvent::MouseButtonPress, from);
  send(playlist.get(), QEvent::MouseMove, from + QPoint(0, 100));
  ASSERT_TRUE(playlist->loop()->isActive());
  lyrics->move(lyrics->pos() + QPoint(1, 0)); // loose now, once the glue is rechecked
  playlist->hide();
  EXPECT_FALSE(playlist->loop()->isActive());
  EXPECT_FALSE(dock.IsGlued(lyrics.get()));
  EXPECT_FALSE(dock.IsGlued(playlist.get()));
  const QPoint at = playlist->pos();
  send(playlist.get(), QEvent::MouseMove, from + QPoint(0, 200));
  EXPECT_EQ(playlist->pos(), at);
}

TEST_F(Docked, MinimiseAndRestoreRecheckTheGlue) {
  playlist->move(180, 300); // touching neither the main nor the lyrics window
  EXPECT_TRUE(dock.IsGlued(playlist.get()));
  main->showMinimized();
  EXPECT_FALSE(dock.IsGlued(playlist.get()));
  playlist->move(200, 270);
  main->showNormal();
  EXPECT_TRUE(dock.IsGlued(playlist.get()));
}

TEST_F(Docked, ADestroyedOrRemovedWindowIsNoLongerDocked) {
  lyrics.reset();
  EXPECT_EQ(dock.geometry().WindowCount(), 2);
  drag(main.get(), {150, 60}, {10, 10});
  EXPECT_EQ(offset(playlist.get()), QPoint(0, 120));

  ASSERT_TRUE(dock.RemoveWindow(playlist.get()));
  EXPECT_EQ(playlist->loop()->hook(), nullptr);
  const QPoint at = playlist->pos();
  drag(main.get(), {150, 60}, {10, 10});
  EXPECT_EQ(playlist->pos(), at);
  drag(playlist.get(), {150, 100}, {3, 0});
  EXPECT_EQ(playlist->pos(), at + QPoint(3, 0)) << "it still moves, with no snapping";
}

TEST(MagneticDockLifetime, RefusesNonWindowsAndLetsGoOfItsWindowsWhenDestroyed) {
  FramelessTestWindow window("w", Qt::gray, {10, 10, 100, 100});
  QWidget child(&window);
  auto dock = std::make_unique<MagneticDock>();
  EXPECT_FALSE(dock->AddWindow(nullptr));
  EXPECT_FALSE(dock->AddWindow(&child));
  EXPECT_FALSE(dock->AddWindow(&window, &child));
  ASSERT_TRUE(dock->AddWindow(&window));
  EXPECT_FALSE(dock->AddWindow(&window));
  EXPECT_EQ(window.loop()->hook(), dock.get());
  dock.reset();
  EXPECT_EQ(window.loop()->hook(), nullptr);
}

} // namespace
} // namespace lumiqo
