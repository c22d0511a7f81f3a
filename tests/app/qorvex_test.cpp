#include "app/app_fixture.h"
#include "app/instance/instance_channel.h"
#include "app/qorvex.h"
#include "app/resolve_host.h"
#include "base/endpoints.h"
#include "base/gbk.h"
#include "base/twips.h"
#include "controls/click_area.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"
#include "lyrics/frm_lrc_show.h"
#include "lyrics/lrc_show.h"
#include "net/winsocks.h"
#include "player/state_texts.h"
#include "player/test_audio.h"
#include "support/mouse.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumiqo {
namespace {

using test::AppFixture;

using test::refusedPort;
using MainWindow = AppFixture;

// An empty lyrics scratch file in the program folder; the final shutdown phase deletes it.
bool makeLyricsScratchFile() {
  QFile lrc(AppFolder() + "lrc");
  return lrc.open(QIODevice::WriteOnly);
}

TEST_F(MainWindow, StartUpState) {
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(w.stateText(), "欢迎使用\rLumiqo");
  // The label breaks the line at the carriage return: two lines, taller than one.
  EXPECT_GT(w.play_zt->sizeHint().height(), QLabel(QStringLiteral("欢迎使用")).sizeHint().height());
  EXPECT_EQ(w.gd_a(), "欢迎您使用Lumiqo音乐播放器(滚动字幕Ossel友情提供)");
  EXPECT_EQ(w.gd_i(), 0);
  EXPECT_EQ(QDir::currentPath() + "/", QDir(AppFolder() + "inc").absolutePath() + "/");
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 1.0f);
  const PlayerState &s = w.state();
  EXPECT_EQ(s.cur_stream, 0u);
  EXPECT_EQ(w.catalogue.page_name, "01.asp");
  EXPECT_EQ(s.lrc_shown, 1);
  EXPECT_EQ(s.list_shown, 1);
  EXPECT_EQ(w.catalogue.list_mode, 0);
  EXPECT_TRUE(s.time_fmt);
  EXPECT_EQ(w.close_state, 0);
  EXPECT_EQ(w.an_web->text(), QStringLiteral("\u3000\u3000"));
  EXPECT_TRUE(w.LrcShow1->timerActive()); // the greeting runs
  EXPECT_EQ(w.Winsock1->RemoteHost(), endpoint(Role::Auth).host);
  EXPECT_EQ(w.Winsock1->RemotePort(), endpoint(Role::Auth).port);

  // Timers: interval and whether they run after start-up.
  struct Expect {
    QTimer *timer;
    int interval;
    bool active;
  };
  PlayerCore &c = w.core();
  for (const Expect &e :
       {Expect{&w.gs_timer, 50, true}, Expect{&c.times_zt, 1000, false}, Expect{&c.Timer2, 1000, false},
        Expect{&c.tmrNetRadio, 50, false}, Expect{&c.music_next, 1000, false},
        Expect{&w.linkResolution().Timer1, 100, false}, Expect{&w.Latency, 1000, false}}) {
    EXPECT_EQ(e.timer->interval(), e.interval);
    EXPECT_EQ(e.timer->isActive(), e.active) << e.interval;
  }
  // The lyrics window stands 850 twips above the main window, right-aligned with it.
  EXPECT_EQ(w.lyricsWindow().y(), w.y() - twipsToPixels(850));
  EXPECT_EQ(w.lyricsWindow().x() + w.lyricsWindow().width(), w.x() + w.width());
  // The time digits' places, in pixels.
  EXPECT_EQ(w.timelist[0]->geometry().topLeft(), QPoint(176, 70));
  EXPECT_EQ(w.timelist[4]->x(), 245);
}

TEST_F(MainWindow, OwnCommandLinePlaysItsLinkAndNextWalksTheList) {
  qorvex w;
  ASSERT_TRUE(w.Form_Load(QStringLiteral("qorvex://zembrol=6162_6364_L9/")).run);
  ASSERT_EQ(w.ListCount(), 1);
  EXPECT_EQ(w.PlayIndex(), 0);
  EXPECT_EQ(w.state().cur_song, "L9");
  EXPECT_EQ(w.gd_a(), "歌名:ab  歌手:cd");
  EXPECT_TRUE(w.core().times_zt.isActive());

  w.AddItem("t1", "a1", "L1", "01:00");
  w.AddItem("t2", "a2", "", "01:00");
  emit w.an_next->Click();
  EXPECT_EQ(w.PlayIndex(), 1);
  EXPECT_EQ(w.m_list->ListIndex(), 1);
  EXPECT_EQ(w.state().cur_song, "L1");
  EXPECT_EQ(w.gd_a(), "歌名:t1  歌手:a1");
  emit w.an_prev->Click();
  EXPECT_EQ(w.PlayIndex(), 0);
  EXPECT_EQ(w.state().cur_song, "L9");
}

TEST_F(MainWindow, StartUpLoadsTheFirstListAndNextResolvesItsFirstRow) {
  test::HttpServer catalogue;
  std::string requested;
  catalogue.server().Get(".*", [&](const httplib::Request &req, httplib::Response &res) {
    requested = req.path;
    const QByteArray body = toGbk(u"晴天,周杰伦,a/1.mp3\r\n夜曲,周杰伦,a/2.mp3\r\n");
    res.set_content(body.toStdString(), "text/plain");
  });
  catalogue.start();
  qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(catalogue.authority()));
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  EXPECT_FALSE(requested.empty());
  ASSERT_EQ(w.ListCount(), 2);
  EXPECT_EQ(w.Title(1), "夜曲");
  EXPECT_EQ(w.PlayIndex(), -1);
  EXPECT_FALSE(w.linkResolution().Timer1.isActive());
  emit w.an_next->Click();
  EXPECT_EQ(w.PlayIndex(), 0);
  EXPECT_EQ(w.state().cur_song, "a/1.mp3");
  EXPECT_EQ(w.gd_a(), "歌名:晴天  歌手:周杰伦");
  EXPECT_TRUE(w.linkResolution().Timer1.isActive());
}

TEST_F(MainWindow, UnresolvableCatalogueHostIsReportedOnceAndStartUpGoesOn) {
  EXPECT_TRUE(ResolveHost("localhost").startsWith("127."));
  EXPECT_EQ(ResolveHost("127.0.0.1"), "127.0.0.1");
  qputenv("LUMIQO_CATALOGUE_HOST", "lumiqo-catalogue.invalid");
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "连接服务器失败!");
  EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
  EXPECT_EQ(w.stateText(), kStateWelcome);
}

// A link handed over while start-up's message box is open (its event loop runs) waits until
// start-up has finished: the first list load does not wipe it, and its song goes to the
// authorisation host start-up sets.
TEST_F(MainWindow, ALinkHandedOverDuringStartUpRunsAfterIt) {
  qputenv("LUMIQO_CATALOGUE_HOST", "lumiqo-catalogue.invalid");
  qorvex w;
  setMessageHandler([&](const MessageRequest &r) {
    messages.push_back(r);
    ASSERT_TRUE(SendToRunning(QStringLiteral("qorvex://zembrol=6162_6364_x.mp3/")));
    // The box stays open until the link has reached the window, one way or the other.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return w.ListCount() > 0 || (w.instance() && !w.instance()->heldLinks().isEmpty()); }, 20000));
  });
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  ASSERT_EQ(messages.size(), 1u);
  ASSERT_EQ(w.ListCount(), 1);
  EXPECT_EQ(w.Title(0), QStringLiteral("ab"));
  EXPECT_EQ(w.PlayIndex(), 0);
  EXPECT_EQ(w.state().cur_song, QStringLiteral("x.mp3"));
  EXPECT_TRUE(w.linkResolution().Timer1.isActive());
}

// A missing library folder is made; one that cannot be made (a file stands in its place)
// stops start-up.
TEST_F(MainWindow, LibraryFolderIsMadeOrStopsStartUp) {
  ASSERT_TRUE(QDir(root.filePath("prog/inc")).removeRecursively());
  {
    qorvex w;
    ASSERT_TRUE(w.Form_Load().run) << messagesText();
    EXPECT_TRUE(QFileInfo(root.filePath("prog/inc")).isDir());
  }
  ASSERT_TRUE(QDir(root.filePath("prog/inc")).removeRecursively());
  QFile blocker(root.filePath("prog/inc"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  messages.clear();
  qorvex w;
  const auto result = w.Form_Load();
  EXPECT_FALSE(result.run);
  EXPECT_NE(result.exitCode, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, MessageIcon::Critical);
}

TEST_F(MainWindow, FailedOpeningShowsConnectingThenFailedAndArmsTheAdvance) {
  test::HttpServer http;
  http.server().Get("/missing.mp3",
                    [](const httplib::Request &, httplib::Response &res) { res.status = 404; });
  http.start();
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  QSignalSpy states(&w, &qorvex::stateTextChanged);
  for (const QString &address : {QString::fromStdString(http.base()) + "/missing.mp3",
                                 QStringLiteral("http://127.0.0.1:%1/a.mp3").arg(refusedPort())}) {
    states.clear();
    w.core().music_next.stop();
    w.core().PlayStreamFor(address);
    ASSERT_EQ(states.size(), 2) << address.toStdString();
    EXPECT_EQ(states[0][0].toString(), kStateConnecting);
    EXPECT_EQ(states[1][0].toString(), kStateFailed);
    EXPECT_TRUE(w.core().music_next.isActive());
    EXPECT_EQ(w.core().music_next.interval(), 1000);
  }
  // No song format: nothing is opened, nothing shown.
  states.clear();
  EXPECT_FALSE(w.core().PlayStreamFor(QStringLiteral("http://127.0.0.1/a.txt")));
  EXPECT_EQ(states.size(), 0);
}

// The pointer at `global` (pixels), delivered to `control` as the platform delivers it to the
// control that holds the mouse: relative to where the control stands now.
void pointer(QWidget *control, QEvent::Type type, QPoint global, Qt::MouseButton changed,
             Qt::MouseButtons held) {
  test::sendMouse(control, type, control->mapFromGlobal(QPointF(global)), changed, held);
}

TEST_F(MainWindow, VolumeKnobAndTrackSetTheEngineVolume) {
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  EXPECT_DOUBLE_EQ(w.volumeKnobLeft(), 6450);
  const QPoint track = w.an_volume_fill->mapToGlobal(QPoint(0, 3));
  // Far right of the track (any button), then its left end.
  pointer(w.an_volume_fill, QEvent::MouseButtonPress, track + QPoint(49, 0), Qt::RightButton,
          Qt::RightButton);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 1.0f);
  EXPECT_DOUBLE_EQ(w.volumeKnobLeft(), 6465); // 5880 + 735 - 150
  EXPECT_EQ(w.an_Volume->x(), 431);
  pointer(w.an_volume_fill, QEvent::MouseButtonRelease, track + QPoint(49, 0), Qt::RightButton, Qt::NoButton);
  pointer(w.an_volume_fill, QEvent::MouseButtonPress, track, Qt::LeftButton, Qt::LeftButton);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.0f);
  EXPECT_EQ(w.an_Volume->x(), 392);
  pointer(w.an_volume_fill, QEvent::MouseButtonRelease, track, Qt::LeftButton, Qt::NoButton);

  // Dragging the knob from 5 px inside it: the volume follows in tenths.
  const QPoint grip = w.an_Volume->mapToGlobal(QPoint(5, 3));
  pointer(w.an_Volume, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
  pointer(w.an_Volume, QEvent::MouseMove, grip + QPoint(21, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(w.volumeKnobLeft(), 6195); // 5880 + 21 x 15
  EXPECT_EQ(w.an_Volume->x(), 413);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.5f);
  // The knob went along with the pointer: the next move counts from where it stands.
  pointer(w.an_Volume, QEvent::MouseMove, grip + QPoint(30, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(w.volumeKnobLeft(), 6330);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 0.7f);
  // Beyond the end of its range it stops there.
  pointer(w.an_Volume, QEvent::MouseMove, grip + QPoint(70, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(w.volumeKnobLeft(), 6495);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), 1.0f);
  pointer(w.an_Volume, QEvent::MouseButtonRelease, grip + QPoint(70, 0), Qt::LeftButton, Qt::NoButton);
  // A move without the left button does nothing.
  pointer(w.an_Volume, QEvent::MouseMove, grip, Qt::NoButton, Qt::NoButton);
  EXPECT_DOUBLE_EQ(w.volumeKnobLeft(), 6495);
}

TEST_F(MainWindow, LocalSongPlaysAndSeekDragLeavesTheSoundAlone) {
  QTemporaryDir music;
  ASSERT_TRUE(test::makeMp3(music.filePath("song.mp3"), 5));
  test::MusicServer server(music.path());
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  QSignalSpy states(&w, &qorvex::stateTextChanged);
  ASSERT_TRUE(w.core().PlayStreamFor(server.url("song.mp3")));
  ASSERT_GE(states.size(), 1);
  EXPECT_EQ(states[0][0].toString(), kStateConnecting);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.stateText() == kStateBuffering; }, 10000));
  const HSTREAM s = w.state().cur_stream;
  ASSERT_TRUE(QTest::qWaitFor([&] { return BASS_ChannelIsActive(s) == BASS_ACTIVE_PLAYING; }, 10000));
  w.core().times_zt_Timer();
  EXPECT_TRUE(w.stateText().startsWith(QStringLiteral("状态:播放\r ")));
  EXPECT_FALSE(w.an_play->isVisibleTo(&w));
  EXPECT_TRUE(w.an_pause->isVisibleTo(&w));

  const float volume = BASS_GetVolume();
  const QWORD before = BASS_ChannelGetPosition(s, BASS_POS_BYTE);
  const QPoint grip = w.an_bar->mapToGlobal(QPoint(0, 3));
  pointer(w.an_bar, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
  pointer(w.an_bar, QEvent::MouseMove, grip + QPoint(100, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_DOUBLE_EQ(w.seekKnobLeft(), 4005); // 2505 + 100 x 15
  EXPECT_EQ(w.an_bar->x(), 267);
  pointer(w.an_bar, QEvent::MouseButtonRelease, grip + QPoint(100, 0), Qt::LeftButton, Qt::NoButton);
  EXPECT_FLOAT_EQ(BASS_GetVolume(), volume);
  EXPECT_EQ(w.state().cur_stream, s);
  EXPECT_GE(BASS_ChannelGetPosition(s, BASS_POS_BYTE), before);
  EXPECT_EQ(BASS_ChannelIsActive(s), BASS_ACTIVE_PLAYING);
  // The next status tick puts the knob back to the song's position.
  w.core().times_zt_Timer();
  const double secs = w.state().pos_text.toDouble();
  EXPECT_DOUBLE_EQ(w.seekKnobLeft(), 2505 + 2040 * (secs / w.state().song_secs));
  EXPECT_LT(w.seekKnobLeft(), 4005);
}

TEST_F(MainWindow, CloseFreesTheEngineFirstThenEndsEverything) {
  ASSERT_TRUE(makeLyricsScratchFile());
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  w.show();
  w.core().times_zt.start();
  QSignalSpy freed(&w, &qorvex::engineFreed);
  w.close();
  // First phase: sound is gone, the window is still there.
  EXPECT_EQ(freed.size(), 1);
  EXPECT_EQ(w.close_state, 1);
  EXPECT_TRUE(w.isVisible());
  EXPECT_TRUE(QFile::exists(AppFolder() + "lrc"));
  // Final phase.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !w.isVisible(); }, 5000));
  EXPECT_EQ(freed.size(), 1);
  EXPECT_FALSE(QFile::exists(AppFolder() + "lrc"));
  for (QTimer *t : {&w.gs_timer, &w.core().times_zt, &w.core().Timer2, &w.core().music_next})
    EXPECT_FALSE(t->isActive());
}

TEST_F(MainWindow, CloseWhileHiddenInTheTrayRunsBothPhases) {
  ASSERT_TRUE(makeLyricsScratchFile());
  qorvex w;
  ASSERT_TRUE(w.Form_Load().run) << messagesText();
  w.show();
  w.hide();
  QSignalSpy freed(&w, &qorvex::engineFreed);
  w.close();
  EXPECT_EQ(freed.size(), 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !QFile::exists(AppFolder() + "lrc"); }, 5000));
  EXPECT_FALSE(w.lyricsWindow().isVisible());
  EXPECT_FALSE(w.gs_timer.isActive());
}

} // namespace
} // namespace lumiqo
