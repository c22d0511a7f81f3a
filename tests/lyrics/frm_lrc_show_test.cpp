// The lyrics window: its frame at the least and at larger sizes, the see-through red, the
// layout of the view, close button and grips, and the move and size loop of the grips.
#include "lyrics/frm_lrc_show.h"

#include "lyrics/lrc_show.h"

#include "base/app_folder.h"
#include "controls/vondan.h"
#include "support/mouse.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

constexpr QRgb kRed = qRgb(255, 0, 0);

// A frame bitmap in which every column and row can be told apart, pure red in its corners.
QImage makeSkin() {
  QImage skin(306, 87, QImage::Format_RGB32);
  for (int y = 0; y < skin.height(); ++y)
    for (int x = 0; x < skin.width(); ++x)
      skin.setPixel(x, y, qRgb(x % 251, 10 + y * 2, 41 + x / 251 * 100));
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j + i < 3; ++j) {
      skin.setPixel(i, j, kRed);
      skin.setPixel(305 - i, j, kRed);
      skin.setPixel(i, 86 - j, kRed);
      skin.setPixel(305 - i, 86 - j, kRed);
    }
  return skin;
}

// Records the loop's calls and may pull the proposed rectangle's left edge to a fixed x.
struct RecordingHook : WindowDragHook {
  void dragEntered(QWidget *, int hitCode, QPoint) override { started.push_back(hitCode); }
  Step dragStep(QWidget *, int, const QRect &proposed, QPoint) override {
    proposals.push_back(proposed);
    QRect r = proposed;
    if (snapLeftTo)
      r.moveLeft(*snapLeftTo);
    return {r, {}};
  }
  void dragExited(QWidget *, const std::vector<Placed> &) override { ++ended; }
  std::vector<int> started;
  std::vector<QRect> proposals;
  int ended = 0;
  std::optional<int> snapLeftTo;
};

class FrmLrcShowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    folder = new QTemporaryDir;
    QDir(folder->path()).mkpath("skin");
    QImage strip(52, 13, QImage::Format_RGB32);
    for (int x = 0; x < 52; ++x)
      for (int y = 0; y < 13; ++y)
        strip.setPixel(x, y, qRgb(60 * (x / 13), 200, y));
    ASSERT_TRUE(strip.save(folder->filePath("skin/close2.bmp")));
    setAppFolderForTesting(folder->path());
  }
  static void TearDownTestSuite() {
    setAppFolderForTesting(QString());
    delete folder;
  }
  void SetUp() override {
    window.move(100, 100);
    window.show();
    QApplication::processEvents();
  }
  // Presses a grip, drags it by `travel` and lets go, with the given button.
  void drag(int grip, QPoint travel, Qt::MouseButton button = Qt::LeftButton) {
    QWidget *g = window.sizeGrip(grip);
    const QPointF at(g->width() / 2.0, g->height() / 2.0);
    const QPointF global = at + QPointF(g->mapToGlobal(QPoint(0, 0)));
    const auto sendAt = [&](QEvent::Type type, QPointF to, Qt::MouseButton changed, Qt::MouseButtons held) {
      QMouseEvent event(type, to - QPointF(g->mapToGlobal(QPoint(0, 0))), to, changed, held, Qt::NoModifier);
      QCoreApplication::sendEvent(g, &event);
    };
    sendAt(QEvent::MouseButtonPress, global, button, button);
    sendAt(QEvent::MouseMove, global + QPointF(travel) / 2, Qt::NoButton, button);
    sendAt(QEvent::MouseMove, global + QPointF(travel), Qt::NoButton, button);
    sendAt(QEvent::MouseButtonRelease, global + QPointF(travel), button, Qt::NoButton);
    QApplication::processEvents();
  }
  QImage surface() const { return window.surface().convertToFormat(QImage::Format_RGB32); }

  static QTemporaryDir *folder;
  QImage skin = makeSkin();
  frmLrcShow window{nullptr, skin};
};
QTemporaryDir *FrmLrcShowTest::folder = nullptr;

TEST_F(FrmLrcShowTest, AtTheLeastSizeTheFrameIsTheBitmapAndTheViewTakesItsPart) {
  EXPECT_EQ(window.size(), QSize(306, 87));
  EXPECT_EQ(window.minimumSize(), QSize(306, 87));
  EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(surface(), skin);
  const QRect view = window.LrcShow1->geometry();
  EXPECT_EQ(view, QRect(9, 34, 288, 43));
  EXPECT_EQ(view.width() * 15, 4320);
  EXPECT_EQ(view.height() * 15, 645);
  EXPECT_EQ(window.LrcShow1->surface().convertToFormat(QImage::Format_RGB32), skin.copy(view));
  EXPECT_EQ(window.LrcShow1->ForeColor(), 0x9B9Bu);
  EXPECT_EQ(window.LrcShow1->LrcColor(), 0xFFFFu);
  EXPECT_TRUE(window.LrcShow1->TimerE());
  EXPECT_EQ(window.an_close_lrc->geometry(), QRect(282, 7, 15, 15));
  EXPECT_EQ(window.an_close_lrc->uPicPath(), folder->filePath("skin/close2.bmp"));
  // The grips: corners, edges and the move strip (68 twips round to 5 pixels).
  EXPECT_EQ(window.sizeGrip(0)->geometry(), QRect(0, 0, 17, 17));
  EXPECT_EQ(window.sizeGrip(1)->geometry(), QRect(16, 0, 272, 5));
  EXPECT_EQ(window.sizeGrip(4)->geometry(), QRect(297, 16, 9, 53));
  EXPECT_EQ(window.sizeGrip(6)->geometry(), QRect(16, 78, 272, 9));
  EXPECT_EQ(window.sizeGrip(7)->geometry(), QRect(289, 70, 17, 17));
  EXPECT_EQ(window.sizeGrip(8)->geometry(), QRect(16, 0, 272, 25));
  // The top edge lies above the move strip where they overlap; the close button above all.
  EXPECT_EQ(window.childAt(100, 2), window.sizeGrip(1));
  EXPECT_EQ(window.childAt(100, 10), window.sizeGrip(8));
  EXPECT_EQ(window.childAt(292, 10), window.an_close_lrc);
}

TEST_F(FrmLrcShowTest, WideningStretchesTheMiddleAndMovesTheRightSide) {
  const int n = 40, m = 12;
  window.resize(306 + n, 87 + m);
  const QImage s = surface();
  ASSERT_EQ(s.size(), QSize(306 + n, 87 + m));
  // The corners keep their pixels; the right column and the bottom row move by n and m.
  EXPECT_EQ(s.copy(0, 0, 50, 50), skin.copy(0, 0, 50, 50));
  EXPECT_EQ(s.copy(51 + n, 0, 255, 50), skin.copy(51, 0, 255, 50));
  EXPECT_EQ(s.copy(0, 51 + m, 50, 36), skin.copy(0, 51, 50, 36));
  EXPECT_EQ(s.copy(51 + n, 51 + m, 255, 36), skin.copy(51, 51, 255, 36));
  // The top strip, the centre and the bottom strip are the one-pixel column, n + 1 wide.
  for (int x = 50; x <= 50 + n; ++x) {
    EXPECT_EQ(s.pixel(x, 10), skin.pixel(50, 10)) << x;
    EXPECT_EQ(s.pixel(x, 50 + m), skin.pixel(50, 50)) << x;
    EXPECT_EQ(s.pixel(x, 86 + m), skin.pixel(50, 86)) << x;
  }
  EXPECT_EQ(window.an_close_lrc->x(), 306 + n - 24);
  EXPECT_EQ(window.LrcShow1->size(), QSize(288 + n, 43 + m));
  EXPECT_EQ(window.sizeGrip(7)->geometry(), QRect(289 + n, 70 + m, 17, 17));
  QApplication::processEvents();
  EXPECT_EQ(window.LrcShow1->surface().convertToFormat(QImage::Format_RGB32), s.copy(9, 34, 288 + n, 43 + m));
}

TEST_F(FrmLrcShowTest, PureRedStaysOutOfTheWindowAtEverySize) {
  for (const QSize size : {QSize(306, 87), QSize(400, 120)}) {
    window.resize(size);
    const QRegion mask = window.mask();
    const int r = size.width() - 1, b = size.height() - 1;
    for (const QPoint corner : {QPoint(0, 0), QPoint(2, 0), QPoint(r, 0), QPoint(0, b), QPoint(r - 1, b - 1)})
      EXPECT_FALSE(mask.contains(corner)) << corner.x() << "," << corner.y();
    for (const QPoint body : {QPoint(3, 0), QPoint(2, 1), QPoint(150, 40), QPoint(r - 2, b - 1)})
      EXPECT_TRUE(mask.contains(body)) << body.x() << "," << body.y();
  }
}

TEST_F(FrmLrcShowTest, GripsSizeTheWindowButNeverBelowTheBitmap) {
  drag(4, {-100, 0}); // the right edge inwards
  EXPECT_EQ(window.geometry(), QRect(100, 100, 306, 87));
  drag(3, {100, 0}); // the left edge inwards: the right edge stays
  EXPECT_EQ(window.geometry(), QRect(100, 100, 306, 87));
  drag(7, {30, 20}); // the bottom-right corner outwards
  EXPECT_EQ(window.geometry(), QRect(100, 100, 336, 107));
  EXPECT_EQ(window.an_close_lrc->x(), 336 - 24);
  drag(0, {-10, -5}); // the top-left corner: the bottom-right one stays
  EXPECT_EQ(window.geometry(), QRect(90, 95, 346, 112));
  drag(6, {0, -200}); // the bottom edge far inwards
  EXPECT_EQ(window.geometry(), QRect(90, 95, 346, 87));
  drag(frmLrcShow::kMoveStrip, {15, 5});
  EXPECT_EQ(window.geometry(), QRect(105, 100, 346, 87));
  EXPECT_FALSE(window.dragFlag());
  EXPECT_TRUE(window.LrcShow1->TimerE());
}

TEST_F(FrmLrcShowTest, TheDockingHookSeesTheLoopAndMayRewriteTheRectangle) {
  RecordingHook hook;
  WindowDragLoop::of(&window)->setHook(&hook);
  drag(frmLrcShow::kMoveStrip, {20, 0});
  EXPECT_EQ(hook.started, std::vector<int>{WindowDragLoop::Caption});
  ASSERT_EQ(hook.proposals.size(), 2u);
  EXPECT_EQ(hook.proposals[0], QRect(110, 100, 306, 87));
  EXPECT_EQ(hook.proposals[1], QRect(120, 100, 306, 87));
  EXPECT_EQ(hook.ended, 1);
  hook.snapLeftTo = 0;
  drag(2, {10, 10}); // the top-right corner
  EXPECT_EQ(hook.started.back(), WindowDragLoop::TopRight);
  // The top edge stops at the least height; the hook's left edge wins.
  EXPECT_EQ(hook.proposals.back(), QRect(120, 100, 316, 87));
  EXPECT_EQ(window.x(), 0);
  WindowDragLoop::of(&window)->setHook(nullptr);
}

TEST_F(FrmLrcShowTest, AnotherButtonOnAGripOnlySuspendsTheDisplayUntilReleased) {
  QWidget *grip = window.sizeGrip(4);
  test::sendMouse(grip, QEvent::MouseButtonPress, {4, 10}, Qt::RightButton, Qt::RightButton);
  EXPECT_FALSE(window.LrcShow1->TimerE());
  EXPECT_FALSE(window.dragFlag());
  test::sendMouse(grip, QEvent::MouseMove, {-40, 10}, Qt::NoButton, Qt::RightButton);
  EXPECT_FALSE(window.dragLoop().isActive());
  EXPECT_EQ(window.size(), QSize(306, 87));
  EXPECT_FALSE(window.LrcShow1->TimerE());
  test::sendMouse(grip, QEvent::MouseButtonRelease, {-40, 10}, Qt::RightButton, Qt::NoButton);
  EXPECT_TRUE(window.LrcShow1->TimerE());

  // The left button suspends it too, and keeps it suspended through the resizes it makes.
  test::sendMouse(grip, QEvent::MouseButtonPress, {4, 10}, Qt::LeftButton, Qt::LeftButton);
  EXPECT_TRUE(window.dragFlag());
  test::sendMouse(grip, QEvent::MouseMove, {24, 10}, Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(window.width(), 326);
  EXPECT_FALSE(window.LrcShow1->TimerE());
  test::sendMouse(grip, QEvent::MouseButtonRelease, {24, 10}, Qt::LeftButton, Qt::NoButton);
  EXPECT_TRUE(window.LrcShow1->TimerE());
  EXPECT_FALSE(window.dragLoop().isActive());
}

TEST_F(FrmLrcShowTest, TheCloseButtonAsksTheOwnerToCloseTheWindow) {
  QSignalSpy close(&window, &frmLrcShow::closeRequested);
  test::sendMouse(window.an_close_lrc, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
  test::sendMouse(window.an_close_lrc, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
  test::sendMouse(window.an_close_lrc, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(close.count(), 1);
  EXPECT_TRUE(window.isVisible());                       // closing is the owner's fade
  EXPECT_EQ(window.an_close_lrc->size(), QSize(13, 13)); // one frame of the strip from now on
  // The desktop's own close is the close button; only the program's end closes the window.
  EXPECT_FALSE(window.close());
  EXPECT_EQ(close.count(), 2);
  EXPECT_TRUE(window.isVisible());
  window.unload();
  EXPECT_EQ(close.count(), 2);
  EXPECT_FALSE(window.isVisible());
}

TEST(FrmLrcShowSkin, WithoutAnyBitmapTheWindowStillHasItsSizeAndLayout) {
  frmLrcShow window(nullptr, QImage());
  // Whether or not the program's resources are linked in, the window keeps the bitmap's size.
  EXPECT_EQ(window.size(), QSize(306, 87));
  EXPECT_EQ(window.LrcShow1->geometry(), QRect(9, 34, 288, 43));
}

} // namespace
} // namespace lumiqo
