// The playlist window: its tabs and search against a loopback catalogue, the favourites menus
// of a right click, the double click that starts a row, the close box, the background painted
// from its picture, the pointers and the drag by the title bar.
#include "frm_play_list_fixture.h"

#include "catalogue/artist_menu_data.h"
#include "catalogue/hex_codec.h"
#include "controls/click_area.h"
#include "controls/qmlistbox.h"
#include "support/mouse.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include <utility>

namespace lumiqo::test {
namespace {

void click(QWidget *widget, QPointF at, Qt::MouseButton button = Qt::LeftButton) {
  sendMouse(widget, QEvent::MouseButtonPress, at, button, button);
  sendMouse(widget, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

void click(QWidget *widget) {
  click(widget, QPointF(widget->width() / 2.0, widget->height() / 2.0));
}

void doubleClick(QWidget *widget, QPointF at) {
  click(widget, at);
  sendMouse(widget, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
  sendMouse(widget, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

// The middle of a row of the list, at x = 50.
QPointF rowPoint(int row) {
  return QPointF(50, 1 + row * 18 + 9);
}

QStringList actionTexts(QMenu *menu) {
  QStringList out;
  for (QAction *a : menu->actions())
    out << a->text();
  return out;
}

class PlayListWindow : public PlayListWindowTest {
protected:
  // Counts the pop-ups of the four menus of `muen`; closes each one again.
  void watchMenus() {
    muen &m = menus();
    for (QMenu *menu : {m.muen_list(), m.my_favorites(), m.my_favorite()})
      QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu] {
        shown_ << menu;
        QMetaObject::invokeMethod(menu, &QMenu::close, Qt::QueuedConnection);
      });
  }
  QList<QMenu *> takeShown() {
    QApplication::processEvents();
    return std::exchange(shown_, {});
  }
  void rightClickRow(int row) { click(window_->m_listView, rowPoint(row), Qt::RightButton); }

  QList<QMenu *> shown_;
};

TEST_F(PlayListWindow, TheTabsLoadTheStartListAndTheFavourites) {
  click(window_->MO);
  EXPECT_EQ(requests(), std::vector<std::string>{"/soft/mlist0.asp"});
  ASSERT_EQ(window_->m_list->ListCount(), 3);
  EXPECT_EQ(window_->m_list->Title(1), "七里香");
  EXPECT_EQ(state_.list_mode, 0);
  EXPECT_EQ(state_.page_name, "01.asp");

  click(window_->myfavorites);
  EXPECT_EQ(requests().size(), 1u); // the favourites are read from their file
  ASSERT_EQ(window_->m_list->ListCount(), 2);
  EXPECT_EQ(window_->m_list->URL(1), "f2");
  EXPECT_EQ(state_.list_mode, 1);
  EXPECT_EQ(state_.page_name, "02.asp");

  // A right click is no click; a press that leaves the area before the release is none either.
  click(window_->MO, QPointF(5, 5), Qt::RightButton);
  sendMouse(window_->MO, QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton);
  sendMouse(window_->MO, QEvent::MouseButtonRelease, QPointF(80, 5), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(requests().size(), 1u);
}

TEST_F(PlayListWindow, TheSearchPanelTogglesAndSearchesFromTwoCharactersWithTheCheckedField) {
  // The window starts with an artist of the menus in the box.
  EXPECT_EQ(window_->s_music_name->text(), builtInArtistMenuData().groups[0].letters[0].names[0]);
  EXPECT_TRUE(window_->f_serach_music->isHidden());
  click(window_->an_serach_music[1]);
  EXPECT_FALSE(window_->f_serach_music->isHidden());

  window_->s_music_name->setText(QStringLiteral("爱"));
  click(window_->an_serach_go);
  EXPECT_TRUE(requests().empty());
  EXPECT_EQ(window_->m_list->ListCount(), 0);

  window_->music_type[2]->setChecked(true);
  window_->s_music_name->setText(QStringLiteral("爱我"));
  click(window_->an_serach_go);
  ASSERT_EQ(requests().size(), 1u);
  EXPECT_EQ(QString::fromStdString(requests()[0]),
            "/soft/mlist_soso.asp?gs=" + HexEncodeTerm(QStringLiteral("爱我")) + "&t=2");
  EXPECT_EQ(state_.search_type, 2);
  EXPECT_EQ(state_.s_music_name, "爱我");
  EXPECT_EQ(state_.page_name, "02.asp");
  EXPECT_EQ(window_->m_list->Title(0), "搜到");

  // The Enter key in the box searches too.
  window_->music_type[1]->setChecked(true);
  window_->s_music_name->setText(QStringLiteral("ab"));
  QTest::keyClick(window_->s_music_name, Qt::Key_Return);
  ASSERT_EQ(requests().size(), 2u);
  EXPECT_TRUE(QString::fromStdString(requests()[1]).endsWith("&t=1"));

  click(window_->an_serach_music[1]);
  EXPECT_TRUE(window_->f_serach_music->isHidden());
}

TEST_F(PlayListWindow, AClickInTheSearchBoxSelectsItsWholeText) {
  window_->f_serach_music->show();
  window_->s_music_name->setText(QStringLiteral("周杰伦"));
  window_->s_music_name->deselect();
  click(window_->s_music_name, QPointF(20, 8));
  EXPECT_EQ(window_->s_music_name->selectedText(), "周杰伦");
  EXPECT_EQ(window_->s_music_name->selectionStart(), 0);
}

TEST_F(PlayListWindow, ARightClickOnTheListOpensOneFavouritesMenuByWhereTheListCameFrom) {
  watchMenus();
  click(window_->MO);
  // A press on a new row raises MouseDown, whose menu the click of the same press leaves alone.
  rightClickRow(1);
  EXPECT_EQ(takeShown(), QList<QMenu *>{menus().my_favorites()});
  EXPECT_EQ(window_->m_list->ListIndex(), 1);
  EXPECT_EQ(actionTexts(menus().my_favorites()), QStringList({"收藏歌曲", "删除歌曲"}));
  // The selected row again, and below the last row: no MouseDown, the click opens it.
  rightClickRow(1);
  EXPECT_EQ(takeShown(), QList<QMenu *>{menus().my_favorites()});
  rightClickRow(10);
  EXPECT_EQ(takeShown(), QList<QMenu *>{menus().my_favorites()});

  click(window_->myfavorites);
  rightClickRow(0);
  EXPECT_EQ(takeShown(), QList<QMenu *>{menus().my_favorite()});
  EXPECT_EQ(menus().my_favorite()->title(), "已收藏");
  EXPECT_EQ(actionTexts(menus().my_favorite()), QStringList({"删除歌曲"}));

  // A left click opens nothing, and any click on the list hides the search panel.
  window_->f_serach_music->show();
  click(window_->m_listView, rowPoint(1));
  EXPECT_TRUE(takeShown().isEmpty());
  EXPECT_TRUE(window_->f_serach_music->isHidden());
}

TEST_F(PlayListWindow, TheBackgroundOpensTheListMenuButTheControlsOnItDoNot) {
  watchMenus();
  window_->f_serach_music->show();
  click(window_.get(), QPointF(150, 60), Qt::RightButton); // the column headings
  EXPECT_EQ(takeShown(), QList<QMenu *>{menus().muen_list()});
  click(window_.get(), QPointF(150, 60)); // the left button
  click(window_->MO, QPointF(5, 5), Qt::RightButton);
  click(window_->Image2, QPointF(100, 10), Qt::RightButton);
  click(window_->pic_serach_bg, QPointF(30, 30), Qt::RightButton);
  EXPECT_TRUE(takeShown().isEmpty());
  // The category tab opens it too.
  click(window_->an_serach_music[0]);
  EXPECT_EQ(takeShown(), QList<QMenu *>{menus().muen_list()});
}

TEST_F(PlayListWindow, ADoubleClickStartsTheRowUnderThePointerOrTheSelectedOneAtTheLeftEdge) {
  click(window_->MO);
  doubleClick(window_->m_listView, rowPoint(1));
  EXPECT_EQ(window_->m_list->PlayIndex(), 1);
  EXPECT_EQ(cur_song_, "c2");
  EXPECT_EQ(captions_, QStringList{"[歌名]:七里香  [歌手]:周杰伦"});
  EXPECT_EQ(calls_, QStringList({"times_zt", "Timer1", "Timer2"}));

  // At x = 0 the row is the selection, named the other way.
  calls_.clear();
  doubleClick(window_->m_listView, QPointF(0, rowPoint(2).y()));
  EXPECT_EQ(window_->m_list->PlayIndex(), 2);
  EXPECT_EQ(cur_song_, "c3");
  EXPECT_EQ(captions_.last(), "歌名:后来  歌手:刘若英");
  EXPECT_EQ(calls_, QStringList({"times_zt", "Timer1", "Timer2"}));
}

TEST_F(PlayListWindow, ADoubleClickBelowTheLastRowStartsTheCurrentSongAgain) {
  click(window_->MO);
  doubleClick(window_->m_listView, rowPoint(0));
  calls_.clear();
  const QStringList captions = captions_;

  doubleClick(window_->m_listView, rowPoint(8));
  EXPECT_EQ(window_->m_list->PlayIndex(), 0);
  EXPECT_EQ(cur_song_, "c1");
  EXPECT_EQ(captions_, captions);
  EXPECT_EQ(calls_, QStringList({"times_zt", "Timer1", "Timer2"}));

  // With no current song nothing is resolved; the clocks still start.
  cur_song_.clear();
  calls_.clear();
  doubleClick(window_->m_listView, rowPoint(8));
  EXPECT_EQ(calls_, QStringList({"times_zt", "Timer2"}));
}

TEST_F(PlayListWindow, ADoubleClickAtTheLeftEdgeWithNothingSelectedKeepsTheSongAndCaption) {
  cur_song_ = QStringLiteral("old");
  doubleClick(window_->m_listView, QPointF(0, 20)); // an empty list
  EXPECT_EQ(cur_song_, "old");
  EXPECT_TRUE(captions_.isEmpty());
  EXPECT_EQ(calls_, QStringList({"times_zt", "Timer1", "Timer2"}));
}

TEST_F(PlayListWindow, TheCloseBoxFadesTheWindowOutAndClearsListShown) {
  window_->show();
  click(window_->an_close_list, QPointF(6, 6));
  EXPECT_EQ(calls_, QStringList({"fadeOut", "list_shown=0"}));
  EXPECT_TRUE(window_->isVisible()); // the fade hides it, not the box
  // The desktop's own close is the close box; only the program's end closes the window.
  calls_.clear();
  EXPECT_FALSE(window_->close());
  EXPECT_EQ(calls_, QStringList({"fadeOut", "list_shown=0"}));
  EXPECT_TRUE(window_->isVisible());
  window_->unload();
  EXPECT_FALSE(window_->isVisible());
}

TEST_F(PlayListWindow, TheClickAreasShowTheHandPointerAtItsHotSpot) {
  EXPECT_EQ(window_->MO->geometry(), QRect(16, 32, 49, 17));
  EXPECT_EQ(window_->myfavorites->geometry(), QRect(72, 27, 55, 16));
  EXPECT_EQ(window_->an_serach_music[0]->geometry(), QRect(165, 27, 55, 16));
  EXPECT_EQ(window_->an_serach_music[1]->geometry(), QRect(228, 27, 67, 16));
  EXPECT_EQ(window_->an_serach_go->geometry(), QRect(255, 10, 28, 16));
  for (QWidget *area :
       {static_cast<QWidget *>(window_->MO), static_cast<QWidget *>(window_->myfavorites),
        static_cast<QWidget *>(window_->an_serach_music[0]),
        static_cast<QWidget *>(window_->an_serach_music[1]), static_cast<QWidget *>(window_->an_serach_go)}) {
    const QCursor pointer = area->cursor();
    ASSERT_EQ(pointer.shape(), Qt::BitmapCursor);
    EXPECT_EQ(pointer.hotSpot(), QPoint(6, 0));
    EXPECT_EQ(pointer.pixmap().size(), QSize(32, 32));
  }
  EXPECT_NE(window_->Image2->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(PlayListWindow, TheListsColumnsLieUnderThePaintedHeadings) {
  fill(120);
  expectHeadingsOverTheColumns();
}

struct RecordingHook : WindowDragHook {
  void dragEntered(QWidget *, int hitCode, QPoint) override { started.push_back(hitCode); }
  Step dragStep(QWidget *, int, const QRect &proposed, QPoint) override { return {proposed, {}}; }
  void dragExited(QWidget *, const std::vector<Placed> &) override { ++ended; }
  std::vector<int> started;
  int ended = 0;
};

TEST_F(PlayListWindow, TheTitleBarDragsTheWindowThroughTheMoveLoop) {
  window_->show();
  QApplication::processEvents();
  RecordingHook hook;
  WindowDragLoop::of(window_.get())->setHook(&hook);
  const QPoint start = window_->pos();
  QWidget *bar = window_->Image2;
  sendMouse(bar, QEvent::MouseButtonPress, QPointF(100, 10), Qt::LeftButton, Qt::LeftButton);
  sendMouse(bar, QEvent::MouseMove, QPointF(110, 15), Qt::NoButton, Qt::LeftButton);
  QApplication::processEvents();
  // The bar has moved with the window by now: positions are the bar's own.
  sendMouse(bar, QEvent::MouseMove, QPointF(120, 25), Qt::NoButton, Qt::LeftButton);
  sendMouse(bar, QEvent::MouseButtonRelease, QPointF(100, 10), Qt::LeftButton, Qt::NoButton);
  QApplication::processEvents();
  EXPECT_EQ(hook.started, std::vector<int>{WindowDragLoop::Caption});
  EXPECT_EQ(hook.ended, 1);
  EXPECT_EQ(window_->pos(), start + QPoint(30, 20));
  // Moving without the button, or with the right one, moves nothing.
  sendMouse(bar, QEvent::MouseMove, QPointF(150, 10), Qt::NoButton, Qt::NoButton);
  click(bar, QPointF(100, 10), Qt::RightButton);
  EXPECT_EQ(hook.started.size(), 1u);
  WindowDragLoop::of(window_.get())->setHook(nullptr);
}

// A picture whose every pixel can be told apart, with pure red in two corners.
class PaintedPlayListWindow : public PlayListWindowTest {
protected:
  QImage background() const override { return picture_; }
  static QImage makePicture() {
    QImage p(306, 354, QImage::Format_RGB32);
    for (int y = 0; y < p.height(); ++y)
      for (int x = 0; x < p.width(); ++x)
        p.setPixel(x, y, qRgb(x % 251, y % 251, 41 + x / 251 * 60 + y / 251 * 120));
    p.setPixel(0, 0, qRgb(255, 0, 0));
    p.setPixel(305, 353, qRgb(255, 0, 0));
    return p;
  }
  QImage surface() const { return window_->surface().convertToFormat(QImage::Format_RGB32); }
  QImage picture_ = makePicture();
};

TEST_F(PaintedPlayListWindow, AtThePicturesSizeTheBackgroundIsThePictureAndRedIsSeeThrough) {
  EXPECT_EQ(window_->size(), QSize(306, 354));
  EXPECT_EQ(surface(), picture_);
  EXPECT_FALSE(window_->mask().contains(QPoint(0, 0)));
  EXPECT_FALSE(window_->mask().contains(QPoint(305, 353)));
  EXPECT_TRUE(window_->mask().contains(QPoint(1, 0)));
  EXPECT_TRUE(window_->mask().contains(QPoint(150, 200)));
  EXPECT_EQ(window_->Image2->geometry(), QRect(0, 0, 306, 25));
  // An ordinary window (window managers place those where they ask to be), frameless.
  EXPECT_EQ(window_->windowType(), Qt::Window);
  EXPECT_TRUE(window_->windowFlags() & Qt::FramelessWindowHint);
}

TEST_F(PaintedPlayListWindow, ALargerWindowStretchesTheMiddleAndNeverGetsSmallerThanThePicture) {
  const int n = 30, m = 20;
  window_->resize(306 + n, 354 + m);
  const QImage s = surface();
  // Cuts at 100 / 101 pixels across and 70 / 71 down.
  EXPECT_EQ(s.copy(0, 0, 100, 70), picture_.copy(0, 0, 100, 70));
  EXPECT_EQ(s.copy(101 + n, 71 + m, 205, 283), picture_.copy(101, 71, 205, 283));
  EXPECT_EQ(s.copy(101 + n, 0, 205, 70), picture_.copy(101, 0, 205, 70));
  for (int x = 100; x <= 100 + n; ++x)
    EXPECT_EQ(s.pixel(x, 200 + m), picture_.pixel(100, 200)) << x;
  EXPECT_FALSE(window_->mask().contains(QPoint(305 + n, 353 + m)));
  EXPECT_EQ(window_->Image2->width(), 306 + n);
  EXPECT_EQ(window_->sizeGrip(7)->geometry(), QRect(289 + n, 337 + m, 17, 17));

  window_->resize(200, 100);
  EXPECT_EQ(window_->size(), QSize(306, 354));
  EXPECT_EQ(surface(), picture_);
}

TEST_F(PaintedPlayListWindow, APictureWithoutRedLeavesTheWindowWhole) {
  picture_.setPixel(0, 0, qRgb(254, 0, 0));
  picture_.setPixel(305, 353, qRgb(0, 0, 0));
  frmPlayList whole(
      state_, [this]() -> muen & { return menus(); }, host(), nullptr, picture_);
  EXPECT_TRUE(whole.mask().isEmpty());
}

} // namespace
} // namespace lumiqo::test
