// The three windows as a screen reader and a keyboard meet them: every control's role and
// name in reading order, the labels' whole texts, the volume a tool sets, the toggles' states,
// the events sent and those never sent, the keys of every window.
#include "app/app_fixture.h"
#include "app/qorvex.h"
#include "app/tray_icon.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/muen.h"
#include "controls/click_area.h"
#include "controls/focus_ring.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"
#include "lyrics/frm_lrc_show.h"
#include "player/knobs.h"
#include "support/accessible_spy.h"

#include <QLineEdit>
#include <QMenu>
#include <QTest>

namespace lumiqo {
namespace {

using test::AccessibleSpy;

QAccessibleInterface *of(QObject *object) {
  return QAccessible::queryAccessibleInterface(object);
}

// "role name" of each child of a window, in order.
QStringList children(QObject *window) {
  QStringList out;
  QAccessibleInterface *w = of(window);
  for (int i = 0; i < w->childCount(); ++i) {
    QAccessibleInterface *c = w->child(i);
    out << QStringLiteral("%1 %2").arg(c->role()).arg(c->text(QAccessible::Name));
    EXPECT_EQ(c->parent(), w) << out.last().toStdString();
  }
  return out;
}

QString line(QAccessible::Role role, const QString &name) {
  return QStringLiteral("%1 %2").arg(role).arg(name);
}

class AccessWindow : public test::AppFixture {
protected:
  void SetUp() override {
    AppFixture::SetUp();
    TrayIcon::setDesktopHasTrayForTesting(1);
  }
  void TearDown() override {
    TrayIcon::setDesktopHasTrayForTesting(-1);
    AppFixture::TearDown();
  }
  std::unique_ptr<qorvex> loaded() {
    auto w = std::make_unique<qorvex>();
    EXPECT_TRUE(w->Form_Load().run) << messagesText();
    w->show();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !w->danru1.running() && !w->danru2.running() && !w->danru3.running(); }, 5000));
    return w;
  }
  // Makes `window` the active one and waits until it stays so (a closing menu gives the
  // activation back to the window it came from a little later).
  static void activate(QWidget &window) {
    for (int tries = 0; tries < 3; ++tries) {
      window.activateWindow();
      ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
      QTest::qWait(50);
      if (QApplication::activeWindow() == &window)
        return;
    }
    FAIL() << "the window does not stay active";
  }
};

TEST_F(AccessWindow, EveryControlHasARoleAndANameInReadingOrder) {
  auto w = loaded();
  QAccessibleInterface *main = of(w.get());
  EXPECT_EQ(main->role(), QAccessible::Window);
  EXPECT_EQ(main->text(QAccessible::Name), QStringLiteral("Lumiqo"));
  EXPECT_EQ(main->text(QAccessible::Description), qorvex::keysHelp());
  EXPECT_EQ(children(w.get()),
            (QStringList{line(QAccessible::Button, "播放"), line(QAccessible::Button, "暂停"),
                         line(QAccessible::Button, "歌词"), line(QAccessible::Button, "最小化"),
                         line(QAccessible::Button, "关闭"), line(QAccessible::Button, "播放列表"),
                         line(QAccessible::Button, "上一首"), line(QAccessible::Button, "停止"),
                         line(QAccessible::Button, "下一首"), line(QAccessible::StaticText, "时间"),
                         line(QAccessible::StaticText, "欢迎使用 Lumiqo"),
                         line(QAccessible::StaticText, "欢迎您使用Lumiqo音乐播放器(滚动字幕Ossel友情提供)"),
                         line(QAccessible::ProgressBar, "播放进度"), line(QAccessible::Link, "打开网站"),
                         line(QAccessible::Slider, "音量"), line(QAccessible::Link, "进入论坛")}));
  EXPECT_TRUE(of(w->an_pause)->state().invisible);
  for (vondan *toggle : {w->an_lyric, w->an_playlist}) {
    EXPECT_TRUE(of(toggle)->state().checkable);
    EXPECT_TRUE(of(toggle)->state().checked);
  }
  EXPECT_EQ(
      of(w->an_play)->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
      QStringList{"X"});

  EXPECT_EQ(children(&w->lyricsWindow()), (QStringList{line(QAccessible::Button, "关闭"),
                                                       line(QAccessible::StaticText, "Lumiqo歌词显示面板")}));
  EXPECT_EQ(of(&w->lyricsWindow())->text(QAccessible::Name), QStringLiteral("Lumiqo 歌词"));
  frmPlayList &list = w->playListWindow();
  EXPECT_EQ(children(&list),
            (QStringList{line(QAccessible::Button, "关闭"), line(QAccessible::PageTab, "推荐列表"),
                         line(QAccessible::PageTab, "我的收藏"), line(QAccessible::PageTab, "分类找歌"),
                         line(QAccessible::PageTab, "关键字找歌"), line(QAccessible::Grouping, "关键字找歌"),
                         line(QAccessible::Table, "播放列表"), line(QAccessible::ScrollBar, "滚动条")}));
  EXPECT_EQ(children(list.f_serach_music),
            (QStringList{line(QAccessible::RadioButton, "歌名"), line(QAccessible::RadioButton, "歌手"),
                         line(QAccessible::RadioButton, "关键字"),
                         line(QAccessible::EditableText, "搜索内容"), line(QAccessible::Button, "搜索")}));
  // The application holds the three windows (and nothing made of their insides).
  for (QWidget *window : {static_cast<QWidget *>(w.get()), static_cast<QWidget *>(&list),
                          static_cast<QWidget *>(&w->lyricsWindow())})
    EXPECT_EQ(of(window)->parent()->role(), QAccessible::Application);
}

TEST_F(AccessWindow, LabelsReadTheirWholeTextAndOnlyNewTextIsNews) {
  auto w = loaded();
  AccessibleSpy spy;
  w->setStateText(QStringLiteral("状态:播放\r 03:05"));
  EXPECT_EQ(of(w->play_zt)->text(QAccessible::Name), QStringLiteral("状态:播放 03:05"));
  w->setStateText(QStringLiteral("状态:播放\r 03:05")); // the status tick, every second
  EXPECT_EQ(spy.count(QAccessible::NameChanged, w->play_zt), 1);

  const QString caption =
      QStringLiteral("歌名:一首名字很长很长很长很长很长很长很长很长的歌  歌手:一位名字也很长的歌手");
  w->setCaption(caption);
  EXPECT_EQ(spy.count(QAccessible::NameChanged, w->gd_show), 1);
  spy.clear();
  // The caption scrolls, the digits and the seek knob move a second: nothing is news.
  for (int tick = 0; tick < 40; ++tick)
    w->gd_show->gs_timer_Timer();
  EXPECT_NE(w->gd_show->gd_i(), 0);
  EXPECT_EQ(of(w->gd_show)->text(QAccessible::Name), caption);
  w->setTimeText(QStringLiteral("00:41"));
  w->setTimeText(QStringLiteral("00:42"));
  EXPECT_EQ(of(w->timeslisttext)->text(QAccessible::Name), QStringLiteral("00:42"));
  w->state().song_secs = 200;
  w->state().pos_text = QStringLiteral(" 42");
  w->setSeekKnobLeft(*seekKnobLeftFor(42, 200));
  // The progress is news every 5 %, the time digits never.
  EXPECT_EQ(spy.events.size(), 1u);
  EXPECT_EQ(spy.count(QAccessible::ValueChanged, w->an_bar_bg), 1);
  w->setSeekKnobLeft(*seekKnobLeftFor(49, 200)); // 24.5 %: the same step of 5 %
  EXPECT_EQ(spy.events.size(), 1u);
  w->setSeekKnobLeft(*seekKnobLeftFor(50, 200)); // 25 %
  EXPECT_EQ(spy.count(QAccessible::ValueChanged, w->an_bar_bg), 2);
  w->state().pos_text = QStringLiteral(" 42");
  QAccessibleValueInterface *seek = of(w->an_bar_bg)->valueInterface();
  ASSERT_TRUE(seek);
  EXPECT_EQ(seek->currentValue().toInt(), 42);
  EXPECT_EQ(seek->maximumValue().toInt(), 200);
  EXPECT_TRUE(of(w->an_bar_bg)->state().readOnly);
  seek->setCurrentValue(10); // it does not seek
  EXPECT_EQ(seek->currentValue().toInt(), 42);
}

TEST_F(AccessWindow, VolumeIsASliderAToolSetsAndTheKnobFollows) {
  auto w = loaded();
  QAccessibleValueInterface *volume = of(w->an_volume_fill)->valueInterface();
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->currentValue().toInt(), 100);
  EXPECT_EQ(volume->maximumValue().toInt(), 100);
  AccessibleSpy spy;
  volume->setCurrentValue(40);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.4f);
  EXPECT_DOUBLE_EQ(w->volumeKnobLeft(), kVolumeLeftMin + 0.4 * (kVolumeLeftMax - kVolumeLeftMin));
  EXPECT_EQ(spy.count(QAccessible::ValueChanged, w->an_volume_fill), 1);
  volume->setCurrentValue(40);
  volume->setCurrentValue(250); // held to the range
  EXPECT_EQ(volume->currentValue().toInt(), 100);
  EXPECT_EQ(spy.count(QAccessible::ValueChanged, w->an_volume_fill), 2);

  // The keys: Up and Down on the main window, the arrows across the focused bar.
  activate(*w);
  QTest::keyClick(w.get(), Qt::Key_Down);
  QTest::keyClick(w.get(), Qt::Key_Down);
  EXPECT_EQ(w->volumePercent(), 90);
  w->an_volume_fill->setFocus(Qt::TabFocusReason);
  QTest::keyClick(w->an_volume_fill, Qt::Key_Left);
  EXPECT_EQ(w->volumePercent(), 85);
  QTest::keyClick(w->an_volume_fill, Qt::Key_Home);
  EXPECT_EQ(w->volumePercent(), 0);
  QTest::keyClick(w.get(), Qt::Key_Up);
  EXPECT_EQ(w->volumePercent(), 5);
}

TEST_F(AccessWindow, TogglesFollowTheirWindowsAndTellOfIt) {
  auto w = loaded();
  AccessibleSpy spy;
  emit w->an_lyric->Click();
  EXPECT_FALSE(w->an_lyric->isChecked());
  emit w->playListWindow().an_close_list->Click();
  EXPECT_FALSE(w->an_playlist->isChecked());
  emit w->an_playlist->Click();
  EXPECT_TRUE(w->an_playlist->isChecked());
  emit w->an_minimize->Click();
  EXPECT_FALSE(w->an_playlist->isChecked());
  EXPECT_EQ(spy.count(QAccessible::StateChanged, w->an_lyric), 1);
  EXPECT_EQ(spy.count(QAccessible::StateChanged, w->an_playlist), 3);
}

TEST_F(AccessWindow, TheTransportKeysWorkInEveryWindow) {
  auto w = loaded();
  for (int i = 0; i < 4; ++i)
    w->m_list->AddItem(QStringLiteral("歌%1").arg(i), QStringLiteral("歌手"), {}, QStringLiteral("03:00"));
  w->m_list->setPlayIndex(1);
  for (QWidget *window : {static_cast<QWidget *>(w.get()), static_cast<QWidget *>(&w->playListWindow()),
                          static_cast<QWidget *>(&w->lyricsWindow())}) {
    SCOPED_TRACE(window->windowTitle().toStdString());
    activate(*window);
    QWidget *at = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(at, Qt::Key_X);
    EXPECT_TRUE(w->core().Timer2.isActive());
    QTest::keyClick(at, Qt::Key_C);
    EXPECT_FALSE(w->core().Timer2.isActive());
    QTest::keyClick(at, Qt::Key_MediaPlay); // not playing: it plays
    EXPECT_TRUE(w->core().Timer2.isActive());
    QTest::keyClick(at, Qt::Key_V);
    EXPECT_FALSE(w->core().Timer2.isActive());
    QTest::keyClick(at, Qt::Key_B);
    EXPECT_EQ(w->m_list->PlayIndex(), 2);
    EXPECT_EQ(w->gd_a(), QStringLiteral("歌名:歌2  歌手:歌手"));
    QTest::keyClick(at, Qt::Key_Z);
    EXPECT_EQ(w->m_list->PlayIndex(), 1);
  }
}

TEST_F(AccessWindow, TabWalksTheFaceInReadingOrderAndTheFocusFollowsPlayToPause) {
  auto w = loaded();
  activate(*w);
  EXPECT_EQ(QApplication::focusWidget(), w->an_play); // where the keyboard starts
  const QList<QWidget *> order = {w->an_lyric,       w->an_minimize, w->an_close, w->an_playlist,
                                  w->an_prev,        w->an_stop,     w->an_next,  w->an_web,
                                  w->an_volume_fill, w->an_bbs,      w->an_play};
  for (QWidget *next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
  }
  // The ring is round the focused control, in the accent colour, once the keyboard is used.
  FocusRing *ring = FocusRing::of(w.get());
  EXPECT_TRUE(ring->isVisible());
  EXPECT_EQ(ring->target(), w->an_play);
  EXPECT_EQ(ring->geometry(), w->an_play->geometry().adjusted(-3, -3, 3, 3));

  // The song starts: pause takes play's place, and the focus with it.
  w->showPlaying(true);
  EXPECT_EQ(QApplication::focusWidget(), w->an_pause);
  EXPECT_EQ(ring->target(), w->an_pause);
  w->showPlaying(false);
  EXPECT_EQ(QApplication::focusWidget(), w->an_play);
  QTest::mouseClick(w->an_stop, Qt::LeftButton); // a mouse user sees no ring
  EXPECT_FALSE(ring->isVisible());
}

TEST_F(AccessWindow, F6GoesOnToTheNextWindowOnTheScreen) {
  auto w = loaded();
  activate(*w);
  const auto f6 = [](Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, modifiers);
  };
  f6();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w->playListWindow(); }, 5000));
  EXPECT_EQ(QApplication::focusWidget(), w->playListWindow().m_listView); // where it starts there
  f6();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w->lyricsWindow(); }, 5000));
  f6(Qt::ShiftModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w->playListWindow(); }, 5000));
  // A window toggled away is passed over.
  emit w->an_playlist->Click();
  activate(*w);
  f6();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &w->lyricsWindow(); }, 5000));
}

TEST_F(AccessWindow, CtrlFOpensTheSearchFromAnyWindowAndEscapeClosesIt) {
  auto w = loaded();
  frmPlayList &list = w->playListWindow();
  emit w->an_playlist->Click(); // the playlist window away
  activate(*w);
  QTest::keyClick(w.get(), Qt::Key_F, Qt::ControlModifier);
  EXPECT_EQ(w->state().list_shown, 1); // brought back
  EXPECT_TRUE(list.f_serach_music->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == list.s_music_name; }, 5000));
  EXPECT_EQ(list.s_music_name->selectedText(), list.s_music_name->text());
  QTest::keyClick(list.s_music_name, Qt::Key_X); // typed, not a key of the player
  EXPECT_EQ(list.s_music_name->text(), QStringLiteral("x"));
  EXPECT_FALSE(w->core().Timer2.isActive());
  QTest::keyClick(list.s_music_name, Qt::Key_Escape);
  EXPECT_FALSE(list.f_serach_music->isVisible());
  EXPECT_EQ(QApplication::focusWidget(), list.m_listView);
}

TEST_F(AccessWindow, TheMenuKeyOpensTheFocusedWindowsMenuAndEscapeClosesIt) {
  auto w = loaded();
  activate(*w);
  QTest::keyClick(w->an_play, Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, 5000));
  EXPECT_EQ(QApplication::activePopupWidget(), w->menus().muen_list());
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w.get(); }, 5000));

  // On the list: the menu of a right click on it, the favourites menu of a catalogue list.
  frmPlayList &list = w->playListWindow();
  w->m_list->AddItem(QStringLiteral("歌"));
  activate(list);
  list.m_listView->setFocus();
  QTest::keyClick(list.m_listView, Qt::Key_Menu);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }, 5000));
  EXPECT_EQ(QApplication::activePopupWidget(), w->menus().my_favorites());
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }, 5000));
}

TEST_F(AccessWindow, DeleteRemovesTheSelectedRowAsTheMenusDeleteDoes) {
  auto w = loaded();
  frmPlayList &list = w->playListWindow();
  for (const char *title : {"甲", "乙", "丙"})
    w->m_list->AddItem(QString::fromUtf8(title), QStringLiteral("歌手"), QStringLiteral("link"));
  w->m_list->setListIndex(1);
  // A catalogue list: from the play list only, without a message.
  activate(list);
  list.m_listView->setFocus();
  QTest::keyClick(list.m_listView, Qt::Key_Delete);
  EXPECT_EQ(w->m_list->ListCount(), 2);
  EXPECT_EQ(w->m_list->Title(1), QStringLiteral("丙"));
  EXPECT_TRUE(messages.empty());
  // The favourites: the file rewritten from what remains, and its message.
  w->catalogue.list_mode = 1;
  QTest::keyClick(list.m_listView, Qt::Key_Delete);
  EXPECT_EQ(w->m_list->ListCount(), 1);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, QStringLiteral("删除成功！"));
}

} // namespace
} // namespace lumiqo
