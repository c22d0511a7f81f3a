#include "player/fake_face.h"
#include "player/player_core.h"
#include "player/state_texts.h"
#include "player/test_audio.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace lumiqo {
namespace {

using test::FakeFace;

TEST(CbassTime, MinutesAndSecondsWithinTheHour) {
  cbass_time t;
  EXPECT_EQ(t.GetTime(0), "00:00");
  EXPECT_EQ(t.GetTime(185), "03:05");
  EXPECT_EQ(t.GetTime(3600 + 125), "02:05");
  EXPECT_EQ(t.GetTime(3599), "59:59");
  EXPECT_EQ(t.GetTime(-5), "00:00");
  EXPECT_EQ(StateName(1), "播放");
  // The play list's lengths keep their hours.
  EXPECT_EQ(lengthText(185), "03:05");
  EXPECT_EQ(lengthText(3599), "59:59");
  EXPECT_EQ(lengthText(3600 + 125), "1:02:05");
  EXPECT_EQ(lengthText(-5), "00:00");
  EXPECT_EQ(StateName(3), "暂停");
}

TEST(StreamChoice, Mp3WinsThenWmaThenTheOtherSongFormatsPlayAsMp3) {
  EXPECT_EQ(streamKindFor("http://h/a.wma?x=.mp3"), StreamKind::Mp3);
  EXPECT_EQ(streamKindFor("http://h/a.mp3.wma"), StreamKind::Mp3);
  EXPECT_EQ(streamKindFor("http://h/a.wma?tflag=1"), StreamKind::Wma);
  EXPECT_EQ(streamKindFor("http://h/a.flac.wma?x=1"), StreamKind::Wma);
  EXPECT_EQ(streamKindFor("http://h/a.MP3"), StreamKind::None);
  for (const char *ext : {"flac", "m4a", "aac", "ogg", "opus"})
    EXPECT_EQ(streamKindFor(QStringLiteral("http://h/21z/lq1.%1?tflag=1&pin=2&ip=3").arg(ext)),
              StreamKind::Mp3)
        << ext;
  // The extension of the path counts, not a look-alike in the query or the host.
  EXPECT_EQ(streamKindFor("http://h/a.txt?x=.flac"), StreamKind::None);
  EXPECT_EQ(streamKindFor("http://ogg/a"), StreamKind::None);
  EXPECT_EQ(streamKindFor("http://h/a.FLAC"), StreamKind::None);
}

class Sequencing : public ::testing::Test {
protected:
  FakeFace face;
  PlayerCore core{face};

  void fill(int n) {
    for (int i = 0; i < n; ++i)
      face.addRow(QStringLiteral("T%1").arg(i), QStringLiteral("A%1").arg(i), QStringLiteral("L%1").arg(i));
  }
};

TEST_F(Sequencing, NextAndPreviousMoveMarkAndSelectionTogether) {
  fill(3);
  face.list.setPlayIndex(0);
  core.an_next_Click();
  EXPECT_EQ(face.playIndexWrites, (std::vector<int>{1, 2, 1}));
  EXPECT_EQ(face.list.PlayIndex(), 1);
  EXPECT_EQ(face.list.ListIndex(), 1);
  EXPECT_EQ(core.state().cur_song, "L1");
  EXPECT_EQ(face.caption, "歌名:T1  歌手:A1");
  EXPECT_EQ(face.linkResolutions, 1);
  EXPECT_TRUE(core.times_zt.isActive());
  EXPECT_TRUE(core.Timer2.isActive());
  EXPECT_EQ(face.lyricsTimes.size(), 1u); // Next runs the lyrics clock at once
  EXPECT_EQ(face.savelrcCalls, 1);

  face.playIndexWrites.clear();
  core.an_prev_Click();
  EXPECT_EQ(face.playIndexWrites, (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(face.list.PlayIndex(), 0);
  EXPECT_EQ(face.list.ListIndex(), 0);
  EXPECT_EQ(core.state().cur_song, "L0");
  EXPECT_EQ(face.lyricsTimes.size(), 1u); // Previous does not
  EXPECT_EQ(face.savelrcCalls, 2);
}

TEST_F(Sequencing, NextOnLastAndPreviousOnFirstOnlyCallTheLyrics) {
  fill(2);
  face.list.setPlayIndex(1);
  core.an_next_Click();
  face.list.setPlayIndex(0);
  core.an_prev_Click();
  EXPECT_TRUE(face.playIndexWrites.empty());
  EXPECT_TRUE(face.caption.isEmpty());
  EXPECT_EQ(face.linkResolutions, 0);
  EXPECT_EQ(face.savelrcCalls, 2);
  // With nothing marked, Next starts the first row.
  face.list.Clear();
  fill(2);
  core.an_next_Click();
  EXPECT_EQ(face.list.PlayIndex(), 0);
  EXPECT_EQ(face.caption, "歌名:T0  歌手:A0");
}

TEST_F(Sequencing, AdvanceActsOnlyOnTheEndTexts) {
  fill(3);
  face.list.setPlayIndex(0);
  for (const QString &text :
       {kStateConnecting, kStateBuffering, QStringLiteral("状态:播放\r 03:05"), kStateWelcome}) {
    face.setStateText(text);
    core.music_next_Timer();
  }
  EXPECT_TRUE(face.playIndexWrites.empty());
  EXPECT_EQ(face.savelrcCalls, 0);

  face.setStateText(kStateFailed);
  core.music_next_Timer();
  EXPECT_EQ(face.playIndexWrites, (std::vector<int>{3, 1}));
  EXPECT_EQ(face.list.ListIndex(), 1);
  EXPECT_EQ(core.state().cur_song, "L1");
  face.setStateText(kStateEnded);
  core.music_next_Timer();
  EXPECT_EQ(face.list.PlayIndex(), 2);
  EXPECT_EQ(face.savelrcCalls, 2);
}

TEST_F(Sequencing, AdvanceWrapsToTheFirstRowWithoutSelectingIt) {
  fill(3);
  face.list.setPlayIndex(2);
  face.list.setListIndex(2);
  face.setStateText(kStateEnded);
  core.music_next_Timer();
  EXPECT_EQ(face.playIndexWrites, (std::vector<int>{1, 0}));
  EXPECT_EQ(face.list.PlayIndex(), 0);
  EXPECT_EQ(face.list.ListIndex(), 2);
  EXPECT_EQ(core.state().cur_song, "L0");
  EXPECT_EQ(face.linkResolutions, 1);
}

// At the end of the list the control refuses a mark past the last row: the advance's and
// Next's writes there change nothing, and an advance on an empty list leaves nothing marked,
// so a list filled afterwards starts at its first row.
TEST_F(Sequencing, MarksPastTheLastRowAreRefusedAtTheEndOfTheList) {
  fill(3);
  face.list.setPlayIndex(1);
  core.an_next_Click();
  EXPECT_EQ(face.playIndexWrites, (std::vector<int>{2, 3, 2}));
  EXPECT_EQ(face.list.PlayIndex(), 2);

  face.list.Clear();
  face.setStateText(kStateEnded);
  core.music_next_Timer();
  EXPECT_EQ(face.list.PlayIndex(), -1);
  fill(3);
  core.music_next_Timer();
  EXPECT_EQ(face.list.PlayIndex(), 0);
  EXPECT_EQ(face.list.ListIndex(), 0);
  EXPECT_EQ(core.state().cur_song, "L0");
}

TEST_F(Sequencing, EmptyListShowsBareCaptionAndStartsNothing) {
  face.setStateText(kStateFailed);
  core.music_next_Timer();
  core.music_next_Timer();
  EXPECT_EQ(face.caption, "歌名:  歌手:");
  EXPECT_EQ(face.linkResolutions, 0);
  EXPECT_TRUE(core.state().cur_song.isEmpty());
  EXPECT_EQ(face.savelrcCalls, 2);
}

TEST_F(Sequencing, RowWithoutLinkSetsCaptionButResolvesNothing) {
  face.addRow(QStringLiteral("无链接"), QStringLiteral("某人"), QString());
  face.list.setPlayIndex(0);
  core.listplay();
  EXPECT_EQ(face.caption, "歌名:无链接  歌手:某人");
  EXPECT_EQ(face.linkResolutions, 0);
  EXPECT_TRUE(core.times_zt.isActive());
}

TEST(StatusTick, NoStreamShowsPlayAndLeavesTheRest) {
  FakeFace face;
  PlayerCore core{face};
  face.setStateText(kStateEnded);
  core.times_zt_Timer();
  EXPECT_EQ(face.playingShown, 0);
  EXPECT_EQ(face.stateText(), kStateEnded);
  EXPECT_TRUE(face.seekLefts.empty());
}

TEST(StatusTick, DigitsFromTheTimeTextAndMissingPicturesSkipped) {
  FakeFace face;
  PlayerCore core{face};
  face.time = QStringLiteral("03:05");
  core.state().pos_text = QStringLiteral(" 37");
  core.state().song_secs = 74;
  core.ShowTimeDigits();
  ASSERT_EQ(face.digitPaths.size(), 4);
  EXPECT_TRUE(face.digitPaths[0].endsWith("skin/0.gif"));
  EXPECT_TRUE(face.digitPaths[1].endsWith("skin/3.gif"));
  EXPECT_TRUE(face.digitPaths[2].endsWith("skin/0.gif"));
  EXPECT_TRUE(face.digitPaths[3].endsWith("skin/5.gif"));
  ASSERT_EQ(face.seekLefts.size(), 1u);
  EXPECT_DOUBLE_EQ(face.seekLefts[0], 2505 + 1020);
  // A text of another length draws no digits; a length of 0 leaves the knob.
  face.time = QStringLiteral("100:05");
  core.state().song_secs = 0;
  core.ShowTimeDigits();
  EXPECT_EQ(face.digitPaths.size(), 4);
  EXPECT_EQ(face.seekLefts.size(), 1u);
}

TEST(LyricsClock, HeldWhileBuffering) {
  FakeFace face;
  PlayerCore core{face};
  face.setStateText(kStateBuffering);
  core.Timer2_Timer();
  EXPECT_EQ(face.timerE, (std::vector<bool>{true, false}));
  face.setStateText(QStringLiteral("状态:播放\r 00:05"));
  core.Timer2_Timer();
  EXPECT_EQ(face.timerE.back(), true);
}

TEST(EndOfStream, NoticeFromAnEngineThreadActsOnlyForTheCurrentStream) {
  FakeFace face;
  PlayerCore core{face};
  core.state().cur_stream = 7;
  // A notice of a stream that has since been replaced changes nothing.
  std::thread([] { PlayerCore::EndSyncProc(1, 6, 0, nullptr); }).join();
  QCoreApplication::processEvents();
  EXPECT_TRUE(face.states.isEmpty());
  EXPECT_FALSE(core.music_next.isActive());
  std::thread([] { PlayerCore::EndSyncProc(1, 7, 0, nullptr); }).join();
  EXPECT_TRUE(face.states.isEmpty()); // not before the user-interface thread runs it
  QCoreApplication::processEvents();
  EXPECT_EQ(face.states, QStringList{kStateEnded});
  EXPECT_TRUE(core.music_next.isActive());
  EXPECT_EQ(core.music_next.interval(), 1000);
}

// --- with the engine ---------------------------------------------------------------------

class WithEngine : public ::testing::Test {
protected:
  static void SetUpTestSuite() { ASSERT_TRUE(BASS_Init(0, 44100, 0, nullptr, nullptr)); }
  static void TearDownTestSuite() { BASS_Free(); }

  bool waitForState(FakeFace &face, const QString &text, int ms = 20000) {
    return QTest::qWaitFor([&] { return face.states.contains(text); }, ms);
  }
};

TEST_F(WithEngine, RefusedAddressFailsAndSwitchesOnTheAdvance) {
  FakeFace face;
  PlayerCore core{face};
  test::HttpServer http;
  http.server().Get("/gone.mp3", [](const httplib::Request &, httplib::Response &res) { res.status = 404; });
  http.start();
  core.PlayUrlStream(QString::fromStdString(http.base()) + "/gone.mp3");
  EXPECT_EQ(face.states, (QStringList{kStateConnecting, kStateFailed}));
  EXPECT_EQ(core.state().cur_stream, 0u);
  EXPECT_TRUE(core.music_next.isActive());
  EXPECT_EQ(core.music_next.interval(), 1000);
  EXPECT_FALSE(core.tmrNetRadio.isActive());
}

TEST_F(WithEngine, OnlyTheLastOfTwoQuickOpeningsStarts) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::makeMp3(dir.filePath("a.mp3"), 5));
  test::MusicServer music(dir.path());
  FakeFace face;
  PlayerCore core{face};
  core.PlayUrlStream(music.url("a.mp3"));
  const HSTREAM first = core.state().cur_stream;
  ASSERT_NE(first, 0u);
  EXPECT_TRUE(core.tmrNetRadio.isActive());
  core.PlayUrlStream(music.url("a.mp3"));
  const HSTREAM second = core.state().cur_stream;
  ASSERT_NE(second, 0u);
  EXPECT_EQ(BASS_ChannelIsActive(first), BASS_ACTIVE_STOPPED);
  ASSERT_TRUE(waitForState(face, kStateBuffering));
  EXPECT_EQ(face.states, (QStringList{kStateConnecting, kStateConnecting, kStateBuffering}));
  EXPECT_FALSE(core.tmrNetRadio.isActive());
  ASSERT_TRUE(QTest::qWaitFor([&] { return BASS_ChannelIsActive(second) == BASS_ACTIVE_PLAYING; }, 10000));

  // Playing: the state text carries the length; paused, only the state.
  core.times_zt_Timer();
  EXPECT_EQ(face.playingShown, 1);
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^状态:播放\r 00:0[45]$")).match(face.stateText()).hasMatch())
      << face.stateText().toStdString();
  EXPECT_EQ(face.time.size(), 5);
  core.an_pause_Click();
  core.times_zt_Timer();
  EXPECT_EQ(face.stateText(), "状态:暂停");
  EXPECT_EQ(face.playingShown, 0);
  EXPECT_FALSE(core.Timer2.isActive());
  core.an_play_Click();
  EXPECT_TRUE(core.Timer2.isActive());
  core.an_stop_Click();
  EXPECT_EQ(BASS_ChannelIsActive(second), BASS_ACTIVE_STOPPED);
}

TEST_F(WithEngine, TheOpenSongsRowShowsItsRealLengthInsteadOfAnInventedOne) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::makeMp3(dir.filePath("a.mp3"), 5));
  test::MusicServer music(dir.path());
  FakeFace face;
  PlayerCore core{face};
  for (int i = 0; i < 3; ++i)
    face.list.AddItem(QStringLiteral("T%1").arg(i), QStringLiteral("A"), QStringLiteral("L%1").arg(i),
                      QStringLiteral("0%1:17").arg(i + 5));
  face.list.setPlayIndex(1);
  core.state().cur_song = QStringLiteral("L1");
  ASSERT_TRUE(core.PlayStreamFor(music.url("a.mp3")));
  ASSERT_TRUE(waitForState(face, kStateBuffering));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return BASS_ChannelIsActive(core.state().cur_stream) == BASS_ACTIVE_PLAYING; }, 10000));
  core.times_zt_Timer();
  const QRegularExpression real(QStringLiteral("^00:0[45]$"));
  EXPECT_TRUE(real.match(face.list.StrTime(1)).hasMatch()) << face.list.StrTime(1).toStdString();
  EXPECT_EQ(face.list.StrTime(0), "05:17");
  EXPECT_EQ(face.list.StrTime(2), "07:17");

  // Another list loaded while the song plays: the row in its place is another song's.
  face.list.setURL(1, QStringLiteral("L9"));
  face.list.setStrTime(1, QStringLiteral("09:09"));
  core.times_zt_Timer();
  EXPECT_EQ(face.list.StrTime(1), "09:09");
  EXPECT_EQ(face.list.StrTime(2), "07:17");
  core.an_stop_Click();
}

TEST_F(WithEngine, EndOfStreamReachesTheUserInterfaceThread) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::makeMp3(dir.filePath("short.mp3"), 1));
  test::MusicServer music(dir.path());
  FakeFace face;
  PlayerCore core{face};
  ASSERT_TRUE(core.PlayStreamFor(music.url("short.mp3")));
  ASSERT_TRUE(waitForState(face, kStateEnded, 30000));
  EXPECT_TRUE(core.music_next.isActive());
  EXPECT_EQ(core.music_next.interval(), 1000);
}

// The engine ends a song and queues its notice for the user-interface thread; before that
// thread runs it, the next song is opened and the ended stream freed. The notice, run then,
// names a stream that is gone and must not end the new song.
TEST_F(WithEngine, AnEndNoticeQueuedBeforeItsStreamWasFreedIsDropped) {
  QTemporaryDir dir;
  ASSERT_TRUE(test::makeMp3(dir.filePath("short.mp3"), 2));
  ASSERT_TRUE(test::makeMp3(dir.filePath("long.mp3"), 30));
  test::MusicServer music(dir.path());
  FakeFace face;
  PlayerCore core{face};
  ASSERT_TRUE(core.PlayStreamFor(music.url("short.mp3")));
  const HSTREAM first = core.state().cur_stream;
  ASSERT_TRUE(waitForState(face, kStateBuffering)); // the core's end sync is set
  // A sync set after the core's runs after it: once it has run, the core's notice is queued.
  static std::atomic<bool> ended;
  ended = false;
  ASSERT_NE(BASS_ChannelSetSync(
                first, BASS_SYNC_END, 0, [](HSYNC, DWORD, DWORD, void *) { ended = true; }, nullptr),
            0u);
  for (int i = 0; i < 3000 && !ended; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10)); // no events run meanwhile
  ASSERT_TRUE(ended);

  core.PlayUrlStream(music.url("long.mp3"));
  ASSERT_NE(core.state().cur_stream, 0u);
  ASSERT_NE(core.state().cur_stream, first);
  QCoreApplication::processEvents(); // the queued notice runs now
  EXPECT_FALSE(face.states.contains(kStateEnded)) << face.states.join('|').toStdString();
  EXPECT_FALSE(core.music_next.isActive());
  core.an_stop_Click();
}

} // namespace
} // namespace lumiqo
