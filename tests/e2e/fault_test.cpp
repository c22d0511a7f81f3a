// The whole player under faults, on a virtual display of its own with a PulseAudio null sink
// of its own and a lumiqo-server with three generated songs:
//  1. the catalogue server is stopped while the start list loads, then killed and started
//     again: start-up goes on, and a song handed over afterwards plays;
//  2. a stream stops in the middle of the song (a relay between the player and the stream
//     hosts stops passing its data on): the song ends, and the next one plays;
//  3. the sound server is killed in the middle of a song and started again: the next song
//     plays on it.
// The player must never crash. "Plays" means: a new playback stream of the player stands on
// the sound server and the null sink's monitor hears its tone. Every wait is generous (the
// machine may be busy); nothing here measures time.

#include "catalogue/hex_codec.h"
#include "catalogue/list_text.h"
#include "catalogue/web_request.h"
#include "e2e/whole_program.h"
#include "player/test_audio.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <vector>

namespace lumiqo {
namespace {

constexpr int kWaitMs = 180000;
constexpr int kSongSeconds = 30;

using test::endProcess;
using test::writeFile;

// Runs a short command; its standard output, or nothing when it failed.
std::optional<QByteArray> run(const QString &program, const QStringList &args,
                              const QProcessEnvironment &env) {
  const test::Ran ran = test::run(program, args, env, 30000, QProcess::SeparateChannels);
  if (ran.exitCode != 0)
    return std::nullopt;
  return ran.out.toUtf8();
}

// Stands between the player and the stream hosts and passes the bytes on both ways, no more
// than the player takes. stopOpenStreams() stops passing on the connections open then: their
// streams stop in the middle of the song. Later connections pass again. Lives in a thread of
// its own (see RelayThread), so the test's blocking waits never starve a stream.
class StreamRelay : public QObject {
public:
  explicit StreamRelay(quint16 upstreamPort) : upstreamPort_(upstreamPort) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket *down = server_.nextPendingConnection())
        pipe(down);
    });
  }
  quint16 port() const { return server_.serverPort(); }
  void stopOpenStreams() {
    for (const auto &frozen : open_)
      *frozen = true;
  }
  int connections() const { return static_cast<int>(open_.size()); }

private:
  static constexpr qint64 kWindow = 64 * 1024;

  void pipe(QTcpSocket *down) {
    auto *up = new QTcpSocket(down);
    up->setReadBufferSize(kWindow);
    auto frozen = std::make_shared<bool>(false);
    open_.push_back(frozen);
    const auto pass = [down, up, frozen] {
      if (!*frozen && down->bytesToWrite() < kWindow)
        down->write(up->read(kWindow));
    };
    connect(up, &QTcpSocket::readyRead, down, pass);
    connect(down, &QTcpSocket::bytesWritten, down, pass);
    connect(up, &QTcpSocket::connected, down, [down, up] { up->write(down->readAll()); });
    connect(down, &QTcpSocket::readyRead, down, [down, up] {
      if (up->state() == QAbstractSocket::ConnectedState)
        up->write(down->readAll());
    });
    connect(up, &QTcpSocket::disconnected, down, [down, up, frozen] {
      if (*frozen)
        return; // the player waits in vain, as for a stream host that fell silent
      down->write(up->readAll());
      down->disconnectFromHost();
    });
    connect(down, &QTcpSocket::disconnected, down, &QObject::deleteLater);
    up->connectToHost(QHostAddress::LocalHost, upstreamPort_);
  }

  QTcpServer server_;
  quint16 upstreamPort_;
  std::vector<std::shared_ptr<bool>> open_;
};

// Runs a StreamRelay on a thread of its own; every call crosses to that thread.
class RelayThread {
public:
  explicit RelayThread(quint16 upstreamPort) {
    thread_.start();
    anchor_.moveToThread(&thread_);
    onThread([&] { relay_ = std::make_unique<StreamRelay>(upstreamPort); });
    onThread([&] { port_ = relay_->port(); });
  }
  ~RelayThread() {
    onThread([&] {
      relay_.reset();
      anchor_.moveToThread(QCoreApplication::instance()->thread());
    });
    thread_.quit();
    thread_.wait();
  }
  quint16 port() const { return port_; }
  void stopOpenStreams() {
    onThread([&] { relay_->stopOpenStreams(); });
  }
  int connections() {
    int count = 0;
    onThread([&] { count = relay_->connections(); });
    return count;
  }

private:
  template <typename F> void onThread(F f) {
    QMetaObject::invokeMethod(&anchor_, f, Qt::BlockingQueuedConnection);
  }

  QThread thread_;
  QObject anchor_;
  std::unique_ptr<StreamRelay> relay_;
  quint16 port_ = 0;
};

class FaultTest : public ::testing::Test {
protected:
  QTemporaryDir root;
  QProcessEnvironment env;
  QProcess display;
  QProcess sound;
  QProcess server;
  QProcess player;
  QString db;
  int port = 0;
  QByteArray serverLog;
  std::unique_ptr<RelayThread> relay;

  void SetUp() override {
    for (const char *tool : {"Xvfb", "pulseaudio", "pactl", "parec", "ffmpeg"})
      if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
        GTEST_SKIP() << "the fault test needs " << tool << ", which is not installed: skipped";
    ASSERT_TRUE(root.isValid());
    env = test::privateEnvironment(root);
    for (const char *dir : {"pulse", "music"})
      ASSERT_TRUE(QDir(root.path()).mkpath(QString::fromLatin1(dir)));
    env.insert("PULSE_RUNTIME_PATH", root.filePath("pulse"));
    env.insert("PULSE_SERVER", "unix:" + root.filePath("pulse/native"));
    env.remove("LUMIQO_AUDIO_DEVICE");
    env.remove("PULSE_SINK");
    // Under the sanitizer build: the X keyboard library hands strndup a buffer without a
    // terminating zero, which strict string checks take for an overflow.
    if (env.contains("ASAN_OPTIONS"))
      env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":strict_string_checks=0");

    // The virtual display: Xvfb picks a free number and writes it to its output. Without
    // -noreset it would start over when its last client leaves, turning the next one away.
    display.setProcessEnvironment(env);
    display.start("Xvfb",
                  {"-displayfd", "1", "-nolisten", "tcp", "-noreset", "-screen", "0", "1280x1024x24"});
    ASSERT_TRUE(display.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return display.canReadLine(); }, 60000)) << "Xvfb did not start";
    const QByteArray number = display.readLine().trimmed();
    env.insert("DISPLAY", ":" + QString::fromLatin1(number));
    env.insert("QT_QPA_PLATFORM", "xcb");

    startSoundServer();
    if (HasFatalFailure())
      return;
    makeCatalogue();
    if (HasFatalFailure())
      return;
    port = test::refusedPort();
    startCatalogueServer();
  }

  void TearDown() override {
    for (QProcess *p : {&player, &server, &sound, &display})
      endProcess(*p);
  }

  // --- the sound server ---------------------------------------------------------------

  void startSoundServer() {
    sound.setProcessEnvironment(env);
    sound.setProcessChannelMode(QProcess::MergedChannels);
    sound.start("pulseaudio", {"--daemonize=no", "--exit-idle-time=-1", "--disallow-exit=yes", "--system=no",
                               "--use-pid-file=no", "-n",
                               "--load=module-native-protocol-unix socket=" + root.filePath("pulse/native"),
                               "--load=module-null-sink sink_name=lumiqo_null", "--load=module-always-sink"});
    ASSERT_TRUE(sound.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return pactl({"info"}).has_value(); }, 60000))
        << "the sound server did not start: " << sound.readAll().toStdString();
    ASSERT_TRUE(pactl({"set-default-sink", "lumiqo_null"}).has_value());
  }

  void killSoundServer() {
    sound.kill();
    sound.waitForFinished(10000);
  }

  std::optional<QByteArray> pactl(const QStringList &args) { return run("pactl", args, env); }

  // The indexes of the player's playback streams on the sound server (nobody else plays
  // into it); every new stream gets a new one.
  QSet<int> playbackStreams() {
    QSet<int> indexes;
    if (const std::optional<QByteArray> out = pactl({"list", "short", "sink-inputs"}))
      for (const QByteArray &line : out->split('\n'))
        if (!line.isEmpty())
          indexes.insert(line.split('\t').first().toInt());
    return indexes;
  }

  // Records the null sink's monitor for a second and a half; true when it carried a tone.
  bool hearsSound() {
    QProcess rec;
    rec.setProcessEnvironment(env);
    rec.start("parec",
              {"--raw", "--format=s16le", "--rate=44100", "--channels=2", "--device=lumiqo_null.monitor"});
    if (!rec.waitForStarted(10000))
      return false;
    QByteArray pcm;
    const QDeadlineTimer enough(20000);
    while (pcm.size() < 44100 * 4 * 3 / 2 && !enough.hasExpired() && rec.state() == QProcess::Running) {
      rec.waitForReadyRead(200);
      pcm += rec.readAllStandardOutput();
    }
    rec.kill();
    rec.waitForFinished(5000);
    int peak = 0;
    for (qsizetype i = 0; i + 1 < pcm.size(); i += 2) {
      std::int16_t sample = 0;
      std::memcpy(&sample, pcm.constData() + i, 2);
      peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak > 1000;
  }

  // --- the catalogue server -----------------------------------------------------------

  void makeCatalogue() {
    const QString music = root.filePath("music");
    QByteArray ini = "[start]\r\n";
    for (const char *name : {"Fault Band - First", "Fault Band - Second", "Fault Band - Third"}) {
      ASSERT_TRUE(test::makeMp3(music + "/" + name + ".mp3", kSongSeconds));
      ASSERT_TRUE(writeFile(music + "/" + name + ".lrc", "[00:00.00]la\r\n[00:05.00]la la\r\n"));
      ini += QByteArray(name) + ".mp3\r\n";
    }
    ASSERT_TRUE(writeFile(music + "/catalogue.ini", ini));
    db = root.filePath("catalogue.db");
    QProcess import;
    import.start(QStringLiteral(LUMIQO_SERVER_PROGRAM), {"import", music, "--db", db});
    ASSERT_TRUE(import.waitForFinished(120000));
    ASSERT_EQ(import.exitCode(), 0) << import.readAllStandardError().toStdString();
  }

  void startCatalogueServer() {
    serverLog += server.readAll(); // what the server before said
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral(LUMIQO_SERVER_PROGRAM),
                 {"serve", "--db", db, "--listen", QStringLiteral("127.0.0.1:%1").arg(port)});
    ASSERT_TRUE(server.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          QTcpSocket probe;
          probe.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
          return probe.waitForConnected(500);
        },
        60000))
        << "the catalogue server did not start: " << server.readAll().toStdString();
  }

  void killCatalogueServer() {
    ::kill(static_cast<pid_t>(server.processId()), SIGKILL);
    server.waitForFinished(10000);
  }

  // A connection to the catalogue server's port stands established (the player's request is
  // on its way) : from the kernel's table, without connecting ourselves.
  bool requestInFlight() const {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
      return false;
    const QByteArray remote = ":" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : table.readAll().split('\n')) {
      const QList<QByteArray> fields = line.simplified().split(' ');
      if (fields.size() > 3 && fields[2].endsWith(remote) && fields[3] == "01")
        return true;
    }
    return false;
  }

  // --- the player ---------------------------------------------------------------------

  // The first song of the start list as a link for the command line.
  QString firstSongLink() {
    const QString list = FetchText(QStringLiteral("http://127.0.0.1:%1/soft/mlist0.asp").arg(port));
    const QVector<ListRecord> records = ParseListText(list);
    if (records.isEmpty())
      return {};
    return "qorvex://zembrol=" + HexEncodeText(records[0].title) + "_" + HexEncodeText(records[0].artist) +
           "_" + records[0].link;
  }

  std::string report() {
    return "\nplayer: " + player.readAllStandardError().toStdString() +
           "\ncatalogue server: " + (serverLog + server.readAll()).right(4000).toStdString() +
           "\nsound server: " + sound.readAll().right(2000).toStdString();
  }

  bool playerAlive() const { return player.state() == QProcess::Running; }

  // How far the run got, for the log: seconds since the player started, and the streams the
  // relay has passed.
  void progress(const char *what) {
    std::cout << "[ fault    ] " << started.elapsed() / 1000 << " s, " << relay->connections()
              << " stream connections: " << what << std::endl;
  }
  QElapsedTimer started;

  // A song plays: a playback stream on the sound server that is none of `before`, and its
  // tone in the sink.
  bool waitUntilASongPlays(const QSet<int> &before = {}) {
    return QTest::qWaitFor(
               [&] { return !playerAlive() || (!(playbackStreams() - before).isEmpty() && hearsSound()); },
               kWaitMs) &&
           playerAlive();
  }
};

TEST_F(FaultTest, ThePlayerSurvivesServersThatGoAwayAndPlaysOnWhenTheyAreBack) {
  const QString link = firstSongLink();
  ASSERT_FALSE(link.isEmpty()) << report();
  env.insert("LUMIQO_SERVER", QStringLiteral("127.0.0.1:%1").arg(port));
  relay = std::make_unique<RelayThread>(static_cast<quint16>(port));
  for (const char *role : {"LUMIQO_STREAM_HOST_W", "LUMIQO_STREAM_HOST_O"})
    env.insert(role, QStringLiteral("127.0.0.1:%1").arg(relay->port()));

  // 1. The catalogue server stops answering; the player starts and asks it for the start
  //    list. While the list loads the server is killed, and then started again.
  ::kill(static_cast<pid_t>(server.processId()), SIGSTOP);
  player.setProcessEnvironment(env);
  started.start();
  player.start(QStringLiteral(LUMIQO_PROGRAM), {});
  ASSERT_TRUE(player.waitForStarted(10000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return requestInFlight() || !playerAlive(); }, kWaitMs)) << report();
  ASSERT_TRUE(playerAlive()) << report();
  killCatalogueServer();
  startCatalogueServer();
  // A song handed over by a second start plays.
  QProcess second;
  second.setProcessEnvironment(env);
  second.start(QStringLiteral(LUMIQO_PROGRAM), {link});
  ASSERT_TRUE(second.waitForFinished(kWaitMs)) << report();
  ASSERT_TRUE(waitUntilASongPlays()) << "after the catalogue server came back" << report();
  progress("a song plays after the catalogue server was killed while the list loaded");

  // 2. In the middle of the song its stream stops. The song ends; the next one plays.
  relay->stopOpenStreams();
  ASSERT_TRUE(waitUntilASongPlays(playbackStreams())) << "after a stream stopped mid-song" << report();
  progress("the next song plays after a stream stopped mid-song");

  // 3. In the middle of the next song the sound server is killed. The song ends, and the
  //    player tries the next one (a stream request) while the sound server is away; then the
  //    sound server is started again.
  const int requests = relay->connections();
  killSoundServer();
  [[maybe_unused]] const bool triedWhileAway =
      QTest::qWaitFor([&] { return relay->connections() > requests || !playerAlive(); }, 60000);
  ASSERT_TRUE(playerAlive()) << report();
  startSoundServer();
  ASSERT_TRUE(waitUntilASongPlays()) << "after the sound server came back" << report();
  progress("the next song plays after the sound server was killed mid-song and started again");
  EXPECT_TRUE(playerAlive()) << report();
}

} // namespace
} // namespace lumiqo
