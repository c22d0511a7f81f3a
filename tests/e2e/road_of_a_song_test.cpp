// The road of a song through the real pieces: a lumiqo-server serves a small catalogue of
// generated songs with lyrics; the main window loads the start list, the next button starts
// the first row, the link resolution authorises and opens it, the lyrics reach the view, and
// at the song's end the player moves on to the next row by itself.

#include "app/app_fixture.h"
#include "app/qorvex.h"
#include "controls/qmlistbox.h"
#include "lyrics/lrc_show.h"
#include "player/state_texts.h"
#include "player/test_audio.h"

#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTest>

namespace lumiqo {
namespace {

class RoadOfASong : public test::AppFixture {
protected:
  QProcess server;

  void TearDown() override {
    if (server.state() != QProcess::NotRunning) {
      server.terminate();
      if (!server.waitForFinished(10000)) {
        server.kill();
        server.waitForFinished(5000);
      }
    }
    AppFixture::TearDown();
  }

  static bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
  }
};

TEST_F(RoadOfASong, StartListPlaysFromRowToRowWithLyrics) {
  const QString music = root.filePath("music");
  ASSERT_TRUE(QDir().mkpath(music));
  ASSERT_TRUE(test::makeMp3(music + "/Lumiqo Band - First Light.mp3", 2));
  ASSERT_TRUE(test::makeMp3(music + "/Lumiqo Band - Second Wind.mp3", 2));
  ASSERT_TRUE(writeFile(music + "/Lumiqo Band - First Light.lrc",
                        "[00:00.00]first line\r\n[00:01.00]second line\r\n"));
  ASSERT_TRUE(
      writeFile(music + "/Lumiqo Band - Second Wind.lrc", "[00:00.00]wind one\r\n[00:01.00]wind two\r\n"));

  const QString db = root.filePath("catalogue.db");
  QProcess import;
  import.start(QStringLiteral(LUMIQO_SERVER_PROGRAM), {"import", music, "--db", db});
  ASSERT_TRUE(import.waitForFinished(60000));
  ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();

  const int port = test::refusedPort();
  const QString listen = QStringLiteral("127.0.0.1:%1").arg(port);
  server.start(QStringLiteral(LUMIQO_SERVER_PROGRAM), {"serve", "--db", db, "--listen", listen, "--quiet"});
  ASSERT_TRUE(server.waitForStarted(10000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), port);
        return probe.waitForConnected(200);
      },
      20000));
  qputenv("LUMIQO_SERVER", listen.toLatin1());

  qorvex w;
  ASSERT_TRUE(w.Form_Load().run);
  ASSERT_EQ(w.ListCount(), 2);
  QStringList states;
  QObject::connect(&w, &qorvex::stateTextChanged, [&](const QString &t) { states << t; });

  w.an_next->click();
  EXPECT_EQ(w.PlayIndex(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return states.contains(kStateBuffering); }, 30000))
      << states.join('|').toStdString();
  EXPECT_EQ(states.first(), kStateConnecting);
  ASSERT_TRUE(w.LrcShow1->timeline().hasLines());
  QStringList lyrics;
  for (const auto &line : w.LrcShow1->timeline().lines())
    lyrics << line.text;
  const QString firstTitle = w.Title(0);
  EXPECT_TRUE(lyrics.contains(firstTitle == "First Light" ? "first line" : "wind one"))
      << firstTitle.toStdString() << ": " << lyrics.join('|').toStdString();

  // The song ends; the advance check moves on to the second row by itself.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return w.PlayIndex() == 1 && states.count(kStateBuffering) >= 2; }, 60000))
      << states.join('|').toStdString();
  EXPECT_TRUE(states.contains(kStateEnded));
  EXPECT_NE(w.gd_a(), QStringLiteral("歌名:") + firstTitle + QStringLiteral("  歌手:") + w.Author(0));
  w.close();
}

} // namespace
} // namespace lumiqo
