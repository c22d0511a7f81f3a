// The road of a song through the real pieces: a lumiqo-server serves a small catalogue of
// generated songs with lyrics; the main window loads the start list, the next button starts
// the first row, the link resolution authorises and opens it, the lyrics reach the view, and
// at the song's end the player moves on to the next row by itself; a row whose stream file
// is gone fails and gives way to the next one, and after the last row the first comes again.
// Songs of the listener's own formats, a FLAC and an Opus song, sound at the null sink.

#include "app/app_fixture.h"
#include "app/qorvex.h"
#include "controls/qmlistbox.h"
#include "controls/vondan.h"
#include "e2e/whole_program.h"
#include "lyrics/lrc_show.h"
#include "player/state_texts.h"
#include "player/test_audio.h"
#include "support/null_sink.h"
#include "support/scoped_env.h"

#include <QRegularExpression>
#include <QTest>

namespace lumiqo {
namespace {

class RoadOfASong : public test::AppFixture {
protected:
  test::CatalogueServer server;
};

// A tone of `hertz` for `seconds` in the format the file name's extension says.
bool makeTone(const QString &path, int hertz, int seconds) {
  return test::run(QStringLiteral("ffmpeg"),
                   {"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                    QStringLiteral("sine=frequency=%1:duration=%2").arg(hertz).arg(seconds), "-ac", "2",
                    path},
                   QProcessEnvironment::systemEnvironment(), 60000)
             .exitCode == 0;
}

TEST_F(RoadOfASong, StartListPlaysFromRowToRowWithLyrics) {
  const QString music = root.filePath("music");
  ASSERT_TRUE(QDir().mkpath(music));
  ASSERT_TRUE(test::makeMp3(music + "/Lumiqo Band - First Light.mp3", 2));
  ASSERT_TRUE(test::makeMp3(music + "/Lumiqo Band - Second Wind.mp3", 2));
  ASSERT_TRUE(test::writeFile(music + "/Lumiqo Band - First Light.lrc",
                              "[00:00.00]first line\r\n[00:01.00]second line\r\n"));
  ASSERT_TRUE(test::writeFile(music + "/Lumiqo Band - Second Wind.lrc",
                              "[00:00.00]wind one\r\n[00:01.00]wind two\r\n"));
  // The start list in a fixed order; its last row names a file that does not exist.
  ASSERT_TRUE(test::writeFile(music + "/catalogue.ini", "[start]\r\n"
                                                        "Lumiqo Band - First Light.mp3\r\n"
                                                        "Lumiqo Band - Second Wind.mp3\r\n"
                                                        "Gone Song,Lumiqo Band,gone/Gone Song.mp3\r\n"));

  const QString served = server.start(music, root.filePath("catalogue.db"));
  ASSERT_TRUE(served.isEmpty()) << served.toStdString();
  qputenv("LUMIQO_SERVER", server.listen.toLatin1());

  qorvex w;
  ASSERT_TRUE(w.Form_Load().run);
  ASSERT_EQ(w.ListCount(), 3);
  ASSERT_EQ(w.Title(0), QStringLiteral("First Light"));
  ASSERT_EQ(w.Title(2), QStringLiteral("Gone Song"));
  QStringList states;
  QList<int> rowOfState; // the play mark when each state text was set
  QObject::connect(&w, &qorvex::stateTextChanged, [&](const QString &t) {
    states << t;
    rowOfState << w.PlayIndex();
  });
  const auto report = [&] { return states.join('|').toStdString(); };
  const auto statesOfRow = [&](int row) {
    QStringList out;
    for (int i = 0; i < states.size(); ++i)
      if (rowOfState[i] == row)
        out << states[i];
    return out;
  };

  emit w.an_next->Click();
  EXPECT_EQ(w.PlayIndex(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return states.contains(kStateBuffering); }, 30000)) << report();
  EXPECT_EQ(states.first(), kStateConnecting);
  ASSERT_TRUE(QTest::qWaitFor([&] { return states.last().startsWith(kStatePrefix + StateName(1)); }, 30000))
      << report();
  ASSERT_TRUE(w.LrcShow1->timeline().hasLines());
  QStringList lyrics;
  for (const auto &line : w.LrcShow1->timeline().lines())
    lyrics << line.text;
  EXPECT_TRUE(lyrics.contains("first line")) << lyrics.join('|').toStdString();

  // The song ends; the advance check moves on to the second row by itself.
  ASSERT_TRUE(QTest::qWaitFor([&] { return statesOfRow(1).contains(kStateBuffering); }, 60000)) << report();
  EXPECT_TRUE(statesOfRow(0).contains(kStateEnded)) << report();
  EXPECT_EQ(w.gd_a(), QStringLiteral("歌名:Second Wind  歌手:Lumiqo Band"));

  // The server's access log: authorisation, translation, address lookup, and a stream
  // request it accepted (its pin and tflag were right).
  const QString log = server.log();
  for (const char *line : {"GET /getuuauthcode/ 200 ", "GET /soft/01.asp 200 ", "POST /soft/ip.asp 200 "})
    EXPECT_TRUE(log.contains(QLatin1String(line))) << line << " not in\n" << log.toStdString();
  EXPECT_TRUE(QRegularExpression(QStringLiteral("GET /\\S+\\.mp3 20[06] ")).match(log).hasMatch())
      << log.toStdString();

  // The third row's file is gone: "连接失败", then the next row, which wraps to the first.
  ASSERT_TRUE(QTest::qWaitFor([&] { return statesOfRow(2).contains(kStateFailed); }, 60000)) << report();
  EXPECT_FALSE(statesOfRow(2).contains(kStateBuffering)) << report();
  ASSERT_TRUE(QTest::qWaitFor([&] { return statesOfRow(0).count(kStateBuffering) >= 2; }, 30000)) << report();
  EXPECT_EQ(w.PlayIndex(), 0);
  w.close();
}

TEST_F(RoadOfASong, FlacAndOpusSongsSoundAtTheNullSink) {
  if (!test::nullSinkExists())
    GTEST_SKIP() << "no PulseAudio server with the lumiqo_null sink (scripts/sound-server.sh starts one)";
  const QString music = root.filePath("music");
  ASSERT_TRUE(QDir().mkpath(music));
  // Two pitches, to tell which song is heard; long enough to be heard on a busy machine.
  ASSERT_TRUE(makeTone(music + "/Lumiqo Band - Lossless.flac", 440, 6));
  ASSERT_TRUE(makeTone(music + "/Lumiqo Band - Small.opus", 660, 6));
  ASSERT_TRUE(test::writeFile(music + "/catalogue.ini",
                              "[start]\r\nLumiqo Band - Lossless.flac\r\nLumiqo Band - Small.opus\r\n"));
  const QString served = server.start(music, root.filePath("catalogue.db"));
  ASSERT_TRUE(served.isEmpty()) << served.toStdString();
  qputenv("LUMIQO_SERVER", server.listen.toLatin1());
  const test::ScopedEnv soundDevice("LUMIQO_AUDIO_DEVICE", QByteArray()); // the sound server, not silence
  const test::ScopedEnv sink("PULSE_SINK", "lumiqo_null");

  qorvex w;
  ASSERT_TRUE(w.Form_Load().run);
  ASSERT_EQ(w.ListCount(), 2);
  QStringList states;
  QObject::connect(&w, &qorvex::stateTextChanged,
                   [&](const QString &t) { states << QString::number(w.PlayIndex()) + t; });
  emit w.an_next->Click();
  const std::pair<int, double> songs[] = {{0, 440.0}, {1, 660.0}};
  for (const auto &[row, hertz] : songs) {
    SCOPED_TRACE(row);
    const QString playing = QString::number(row) + kStatePrefix + StateName(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.filter(playing).size() > 0; }, 60000))
        << states.join('|').toStdString();
    int stream = -1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (stream = test::ourSinkInput()) >= 0; }, 10000));
    EXPECT_NEAR(test::tonePitch(test::recordSinkInput(stream, 1.2)), hertz, 15.0);
  }
  const QString log = server.log();
  for (const char *format : {"flac", "opus"})
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("GET /\\S+\\.%1 20[06] ").arg(format)).match(log).hasMatch())
        << log.toStdString();
  w.close();
}

} // namespace
} // namespace lumiqo
