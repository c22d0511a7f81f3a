// The skinned main window: its layout, the window toggles with their fades, minimise to the
// tray (or the task bar) and restore, the lyrics window's close button, the desktop's close on
// the other windows, dragging by the face, re-skinning.
#include "app/app_fixture.h"
#include "app/instance/link_execute.h"
#include "app/qorvex.h"
#include "app/tray_icon.h"
#include "base/endpoints.h"
#include "base/twips.h"
#include "catalogue/frm_play_list.h"
#include "catalogue/muen.h"
#include "controls/click_area.h"
#include "controls/magnetic_dock.h"
#include "controls/vondan.h"
#include "lyrics/frm_lrc_show.h"
#include "lyrics/lrc_show.h"
#include "support/mouse.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

namespace lumiqo {
namespace {

// Takes the addresses the player hands to the desktop's browser, so no browser starts.
class UrlCatcher : public QObject {
  Q_OBJECT
public:
  UrlCatcher() {
    for (const char *scheme : {"http", "https"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
  }
  ~UrlCatcher() override {
    for (const char *scheme : {"http", "https"})
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
  }
  QList<QUrl> urls;

public slots:
  void open(const QUrl &url) { urls << url; }
};

void click(QWidget *control, Qt::MouseButton button = Qt::LeftButton) {
  const QPointF at(control->width() / 2.0, control->height() / 2.0);
  test::sendMouse(control, QEvent::MouseButtonPress, at, button, button);
  test::sendMouse(control, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

class SkinnedWindow : public test::AppFixture {
protected:
  void SetUp() override {
    AppFixture::SetUp();
    TrayIcon::setDesktopHasTrayForTesting(1);
  }
  void TearDown() override {
    TrayIcon::setDesktopHasTrayForTesting(-1);
    AppFixture::TearDown();
  }
  // Lets every fade that runs come to its end.
  static void settle(qorvex &w) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !w.danru1.running() && !w.danru2.running() && !w.danru3.running(); }, 5000));
  }
  std::unique_ptr<qorvex> loaded() {
    auto w = std::make_unique<qorvex>();
    EXPECT_TRUE(w->Form_Load().run) << messagesText();
    w->show();
    settle(*w);
    return w;
  }
};

TEST_F(SkinnedWindow, FaceButtonsAndWindowsLieWhereTheSkinPutsThem) {
  auto w = loaded();
  EXPECT_TRUE(messages.empty()) << messagesText();
  // Borderless, sized around the 452 x 173 face with 60 twips to spare.
  EXPECT_TRUE(w->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(w->size(), QSize(456, 177));
  // Pure red is see-through: a corner of the face is outside the window's shape.
  EXPECT_FALSE(w->mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(w->mask().contains(QPoint(87, 87)));

  struct Place {
    vondan *button;
    QRect rect;
  };
  for (const Place &p : {Place{w->an_play, {49, 49, 76, 76}}, Place{w->an_stop, {8, 74, 25, 25}},
                         Place{w->an_next, {27, 28, 25, 25}}, Place{w->an_prev, {27, 121, 25, 25}},
                         Place{w->an_lyric, {75, 10, 25, 25}}, Place{w->an_playlist, {75, 141, 25, 25}},
                         Place{w->an_close, {117, 136, 13, 13}}, Place{w->an_minimize, {141, 107, 13, 13}}})
    EXPECT_EQ(p.button->geometry(), p.rect) << p.button->objectName().toStdString();
  // Pause lies exactly under play and is hidden.
  EXPECT_EQ(w->an_pause->geometry(), w->an_play->geometry());
  EXPECT_FALSE(w->an_pause->isVisibleTo(w.get()));
  EXPECT_EQ(w->an_bar_bg->geometry(), QRect(167, 128, 142, 6));
  EXPECT_EQ(w->an_volume_fill->geometry(), QRect(392, 105, 50, 6));
  EXPECT_EQ(w->playListWindow().an_close_list->geometry(), QRect(282, 7, 13, 13));

  // The lyrics window 850 twips above the main window, the playlist 2230 below its top, both
  // right-aligned with it.
  const QRect main = w->geometry();
  const QRect lrc = w->lyricsWindow().geometry();
  const QRect list = w->playListWindow().geometry();
  EXPECT_EQ(lrc.top(), main.top() - twipsToPixels(850));
  EXPECT_EQ(list.top(), main.top() + twipsToPixels(2230));
  EXPECT_EQ(lrc.right(), main.right());
  EXPECT_EQ(list.right(), main.right());
  EXPECT_TRUE(w->lyricsWindow().isVisible());
  EXPECT_TRUE(w->playListWindow().isVisible());
}

// A skin folder with a cut bitmap, a broken digit, a cut icon, a FIFO and a missing file: the
// player starts, draws none of them, and names each once in its one warning.
TEST_F(SkinnedWindow, BrokenSkinFilesAreNamedOnceAndNeitherHangNorDraw) {
  const QString skin = root.filePath("prog/skin/");
  auto cut = [&](const char *name, qint64 bytes) {
    QFile file(skin + name);
    ASSERT_TRUE(file.resize(bytes)) << name;
  };
  cut("play.bmp", 100);
  cut("close2.bmp", 100); // both close buttons of the other windows use it
  cut("3.gif", 60);
  cut("brivo.ico", 300);
  ASSERT_TRUE(QFile::remove(skin + "next.bmp"));
  ASSERT_TRUE(QFile::remove(skin + "stop.bmp"));
  ASSERT_EQ(mkfifo(QFile::encodeName(skin + "stop.bmp").constData(), 0600), 0);

  auto w = loaded();
  ASSERT_EQ(messages.size(), 1u) << messagesText();
  const QString text = messages[0].text;
  for (const char *name : {"play.bmp", "close2.bmp", "3.gif", "brivo.ico", "next.bmp", "stop.bmp"})
    EXPECT_EQ(text.count(skin + name), 1) << name << "\n" << text.toStdString();
  EXPECT_FALSE(text.contains(skin + "pause.bmp"));
  EXPECT_TRUE(w->an_play->frameSize().isEmpty()) << "no stripes of a cut picture";
  EXPECT_TRUE(w->an_pause->uPicPath().endsWith("pause.bmp"));
  EXPECT_TRUE(w->an_play->uPicPath().isEmpty());
}

// A window moved by other means than a drag keeps its glue until a command of a docked window
// rechecks it: a button clicked, a click area, a menu pick.
TEST_F(SkinnedWindow, ACommandOfADockedWindowRechecksTheGlue) {
  auto w = loaded();
  auto *dock = w->findChild<MagneticDock *>();
  ASSERT_NE(dock, nullptr);
  frmPlayList &list = w->playListWindow();
  ASSERT_TRUE(dock->IsGlued(&list));
  const QPoint home = list.pos();
  UrlCatcher browser;

  list.move(home + QPoint(40, 300)); // touching nothing now
  ASSERT_TRUE(dock->IsGlued(&list));
  click(w->an_stop);
  EXPECT_FALSE(dock->IsGlued(&list)) << "the main window's button";
  list.move(home);
  click(w->lyricsWindow().an_close_lrc);
  EXPECT_TRUE(dock->IsGlued(&list)) << "the lyrics window's button";
  list.move(home + QPoint(40, 300));
  click(w->an_web);
  EXPECT_FALSE(dock->IsGlued(&list)) << "a click area";
  list.move(home);
  QAction *chart = w->menus().muen_list()->findChild<QAction *>("rmfn");
  ASSERT_NE(chart, nullptr);
  chart->trigger();
  EXPECT_TRUE(dock->IsGlued(&list)) << "a menu pick";
}

TEST_F(SkinnedWindow, TheLinkAreasOpenTheSiteAndTheForum) {
  auto w = loaded();
  UrlCatcher browser;
  click(w->an_web);
  click(w->an_bbs, Qt::RightButton); // only the left button clicks
  click(w->an_bbs);
  EXPECT_EQ(browser.urls, (QList<QUrl>{QUrl(siteAddress("/")), QUrl(forumAddress())}));
  // They lie on the face's two links, over the window's shape.
  EXPECT_EQ(w->an_web->geometry(), QRect(348, 100, 24, 16));
  EXPECT_EQ(w->an_bbs->geometry(), QRect(348, 125, 24, 16));
  EXPECT_TRUE(w->mask().contains(w->an_web->geometry().center()));
}

TEST_F(SkinnedWindow, ARightClickOnTheFacePopsTheListMenuUpThere) {
  auto w = loaded();
  const QPoint at(200, 40);
  test::sendMouse(w->s_main1, QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
  QMenu *menu = w->menus().muen_list();
  ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 5000));
  EXPECT_EQ(QApplication::activePopupWidget(), menu);
  EXPECT_EQ(menu->pos(), w->s_main1->mapToGlobal(at));
  EXPECT_EQ(w->dragging, 0) << "a right press drags nothing";
  menu->close();
  // The left button drags instead of popping anything up.
  test::sendMouse(w->s_main1, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(w->dragging, 1);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  test::sendMouse(w->s_main1, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
}

TEST_F(SkinnedWindow, LyricsToggleFadesTheWindowAndSwitchesTheLyricsDisplay) {
  auto w = loaded();
  frmLrcShow &lrc = w->lyricsWindow();
  emit w->an_lyric->Click();
  EXPECT_EQ(w->state().lrc_shown, 0);
  EXPECT_FALSE(w->LrcShow1->TimerE());
  EXPECT_FALSE(w->core().Timer2.isActive());
  settle(*w);
  // Faded out, the window is hidden: a transparent one would still take clicks.
  EXPECT_FALSE(lrc.isVisible());

  // The lyrics window's own close button is the same toggle.
  emit lrc.an_close_lrc->Click();
  EXPECT_EQ(w->state().lrc_shown, 1);
  EXPECT_TRUE(lrc.isVisible());
  EXPECT_TRUE(w->LrcShow1->TimerE());
  EXPECT_TRUE(w->core().Timer2.isActive());
  settle(*w);
  EXPECT_DOUBLE_EQ(lrc.windowOpacity(), 1.0);
}

TEST_F(SkinnedWindow, AToggledOffPlaylistIsHiddenInItsPlaceAndComesBackThere) {
  auto w = loaded();
  frmPlayList &list = w->playListWindow();
  const QRect where = list.geometry();
  emit w->an_playlist->Click();
  EXPECT_EQ(w->state().list_shown, 0);
  EXPECT_TRUE(list.isVisible()) << "it fades out first";
  settle(*w);
  EXPECT_FALSE(list.isVisible());
  emit w->an_playlist->Click();
  EXPECT_EQ(w->state().list_shown, 1);
  EXPECT_TRUE(list.isVisible()) << "a fade-in shows it at once";
  settle(*w);
  EXPECT_DOUBLE_EQ(list.windowOpacity(), 1.0);
  EXPECT_EQ(list.geometry(), where);
}

TEST_F(SkinnedWindow, TheDesktopsCloseOnTheOtherWindowsIsTheirCloseBox) {
  auto w = loaded();
  frmLrcShow &lrc = w->lyricsWindow();
  frmPlayList &list = w->playListWindow();
  // Alt+F4 or a panel's close, as the window manager asks for it.
  EXPECT_FALSE(lrc.close());
  EXPECT_FALSE(list.close());
  EXPECT_EQ(w->state().lrc_shown, 0);
  EXPECT_EQ(w->state().list_shown, 0);
  EXPECT_FALSE(w->LrcShow1->TimerE());
  settle(*w);
  EXPECT_FALSE(lrc.isVisible());
  EXPECT_FALSE(list.isVisible());
  // One click on each toggle brings them back.
  emit w->an_lyric->Click();
  emit w->an_playlist->Click();
  settle(*w);
  EXPECT_TRUE(lrc.isVisible());
  EXPECT_TRUE(list.isVisible());
  EXPECT_DOUBLE_EQ(lrc.windowOpacity(), 1.0);
  EXPECT_DOUBLE_EQ(list.windowOpacity(), 1.0);
}

TEST_F(SkinnedWindow, MinimiseToTheTrayAndRestore) {
  auto w = loaded();
  emit w->an_minimize->Click();
  EXPECT_EQ(w->tray().tip(), "双击还原播放窗口");
  EXPECT_EQ(w->close_state, 2);
  EXPECT_EQ(w->state().list_shown, 0);
  settle(*w);
  EXPECT_FALSE(w->isVisible());
  EXPECT_FALSE(w->playListWindow().isVisible());
  // The lyrics window is not touched.
  EXPECT_TRUE(w->lyricsWindow().isVisible());

  // The tray menu's "返回界面" is the tray icon's double click.
  QAction *back = w->menus().m_tp()->findChild<QAction *>("m_back");
  ASSERT_NE(back, nullptr);
  back->trigger();
  EXPECT_EQ(w->tray().tip(), "Lumiqo");
  EXPECT_EQ(w->state().list_shown, 1);
  EXPECT_EQ(w->close_state, 2); // a restore does not reset it
  EXPECT_TRUE(w->core().Timer2.isActive());
  settle(*w);
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->playListWindow().isVisible());
  EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
}

// A restore that hides a window on its way back (shown, hidden and shown again within a few
// milliseconds) can leave a busy window manager with the window withdrawn, and the player in the
// tray with no window: each window is shown once and never hidden until the next minimise.
TEST_F(SkinnedWindow, TheRestoresFadeInNeverHidesTheWindow) {
  auto w = loaded();
  emit w->an_minimize->Click();
  settle(*w);
  ASSERT_FALSE(w->isVisible());
  std::vector<bool> shownAtEachStep;
  QObject::connect(&w->danru1, &danru::FadeStep, w.get(), [&] { shownAtEachStep.push_back(w->isVisible()); });
  struct HideCounter : QObject {
    int hides = 0;
    bool eventFilter(QObject *, QEvent *event) override {
      hides += event->type() == QEvent::Hide;
      return false;
    }
  } counter;
  w->installEventFilter(&counter);
  w->playListWindow().installEventFilter(&counter);
  w->vond_tp_DoubleClick();
  settle(*w);
  EXPECT_EQ(shownAtEachStep, std::vector<bool>(9, true));
  EXPECT_EQ(counter.hides, 0);
  EXPECT_TRUE(w->playListWindow().isVisible());
}

TEST_F(SkinnedWindow, ALinkHandedOverWhileInTheTrayBringsTheWindowBackOpaque) {
  auto w = loaded();
  // Handed over at once, while the window still fades out, and again once it is gone.
  for (bool wait : {false, true}) {
    emit w->an_minimize->Click();
    if (wait) {
      settle(*w);
      ASSERT_FALSE(w->isVisible());
    }
    qint16 cancel = -1;
    Form_LinkExecute(QStringLiteral("qorvex://zembrol=c4e3_cbfb_21z/a.mp3"), cancel, *w);
    EXPECT_EQ(cancel, 0);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->tray().tip(), "Lumiqo");
    EXPECT_EQ(w->state().list_shown, 1);
    settle(*w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
    EXPECT_TRUE(w->playListWindow().isVisible());
    EXPECT_DOUBLE_EQ(w->playListWindow().windowOpacity(), 1.0);
  }
  // A window that is there already stays as it is.
  qint16 cancel = -1;
  Form_LinkExecute(QStringLiteral("qorvex://zembrol=c4e3_cbfb_21z/b.mp3"), cancel, *w);
  EXPECT_FALSE(w->danru1.running());
  EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
}

// The events a window manager that refused (or has not yet applied) the window's moves leaves
// the face with: the pointer's screen position is true, the position within the face is
// reckoned from where the window still stands.
TEST_F(SkinnedWindow, DraggingTheFaceFollowsThePointerOnTheScreenFromWhereTheDragBegan) {
  auto w = loaded();
  const QPoint start = w->pos();
  const QPoint pressed = w->s_main1->mapToGlobal(QPoint(300, 40));
  const QPoint standsAt = w->s_main1->mapToGlobal(QPoint(0, 0));
  auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButton changed, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(global - standsAt), QPointF(global - standsAt), QPointF(global), changed,
                  held, Qt::NoModifier);
    QCoreApplication::sendEvent(w->s_main1, &e);
  };
  send(QEvent::MouseButtonPress, pressed, Qt::LeftButton, Qt::LeftButton);
  for (int i = 1; i <= 10; ++i)
    send(QEvent::MouseMove, pressed + QPoint(-15 * i, -4 * i), Qt::NoButton, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, pressed + QPoint(-150, -40), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(w->pos(), start + QPoint(-150, -40));
  // The glued windows went along by as much.
  EXPECT_EQ(w->lyricsWindow().geometry().right(), w->geometry().right());
  EXPECT_EQ(w->playListWindow().geometry().top(), w->geometry().top() + twipsToPixels(2230));
}

TEST_F(SkinnedWindow, WithoutATrayMinimiseGoesToTheTaskBarAndComesBackFromIt) {
  TrayIcon::setDesktopHasTrayForTesting(0);
  auto w = loaded();
  emit w->an_minimize->Click();
  settle(*w);
  // Never hidden with no way back: minimised, still a window of the desktop.
  EXPECT_TRUE(w->isVisible());
  EXPECT_TRUE(w->isMinimized());
  w->showNormal(); // what the task bar does
  EXPECT_EQ(w->state().list_shown, 1);
  settle(*w);
  EXPECT_FALSE(w->isMinimized());
  EXPECT_DOUBLE_EQ(w->windowOpacity(), 1.0);
  EXPECT_TRUE(w->playListWindow().isVisible());
}

TEST_F(SkinnedWindow, ExitFromTheTrayMenuEndsWithTheWorkFileDeleted) {
  auto w = loaded();
  QFile lrc(AppFolder() + "lrc");
  ASSERT_TRUE(lrc.open(QIODevice::WriteOnly));
  lrc.close();
  emit w->an_minimize->Click();
  settle(*w);
  w->menus().m_tp()->findChild<QAction *>("m_exit")->trigger();
  EXPECT_EQ(w->close_state, 1);
  EXPECT_FALSE(w->tray().isShown());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(AppFolder() + "lrc"); }, 5000));
  EXPECT_FALSE(w->lyricsWindow().isVisible());
  EXPECT_FALSE(w->playListWindow().isVisible());
}

TEST_F(SkinnedWindow, WearReSkinsAndPlacesFromASkinFolder) {
  auto w = loaded();
  QDir folder(root.filePath("myskin"));
  ASSERT_TRUE(folder.mkpath("."));
  QImage strip(120, 30, QImage::Format_RGB32);
  strip.fill(Qt::green);
  ASSERT_TRUE(strip.save(folder.filePath("stop2.bmp")));
  QFile ini(folder.filePath("config.ini"));
  ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
  ini.write("[pos]\r\nqorvex_width1=7000\r\nqorvex_height1=3000\r\nan_stop=300, 150\r\nan_next=a,b,c,d\r\n"
            "[picture]\r\nan_stop=stop2.bmp\r\n");
  ini.close();
  // With or without the trailing separator, the same settings file.
  for (const QString &path : {folder.path(), folder.path() + "/"}) {
    w->wear(path);
    EXPECT_EQ(w->size(), QSize(467, 200));
    EXPECT_EQ(w->an_stop->pos(), QPoint(20, 10));
    EXPECT_EQ(w->an_stop->frameSize(), QSize(30, 30)); // the new strip's frame
    EXPECT_EQ(w->an_next->geometry(), QRect(0, 0, 0, 0));
  }

  // A window size beyond any screen, or negative, is refused and the window keeps its size.
  for (const char *sizes : {"qorvex_width1=1000000000000\r\nqorvex_height1=-45\r\n",
                            "qorvex_width1=99999999999999999999\r\nqorvex_height1=491535\r\n"}) {
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ini.write(QByteArray("[pos]\r\n") + sizes);
    ini.close();
    w->wear(folder.path());
    EXPECT_EQ(w->size(), QSize(467, 200)) << sizes;
  }
}

} // namespace
} // namespace lumiqo

#include "qorvex_window_test.moc"
