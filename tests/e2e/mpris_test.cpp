// The player on the desktop's media controls: a private session bus, a real lumiqo-server and
// the real program; playerctl and dbus-send drive it as a desktop would. Without a bus the
// player starts and plays all the same, and says nothing about it.

#include "catalogue/catalogue_state.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"
#include "e2e/whole_program.h"
#include "player/test_audio.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace lumiqo {
namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.lumiqo");

using test::Ran;

class Mpris : public ::testing::Test {
protected:
  QTemporaryDir root;
  test::CatalogueServer server;
  QProcess bus;
  QString busAddress;
  QProcess player;

  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    for (const char *tool : {"dbus-daemon", "dbus-send", "playerctl"})
      if (QStandardPaths::findExecutable(tool).isEmpty())
        GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    // Two songs, long enough to be still playing while the test runs.
    const QString music = root.filePath("music");
    ASSERT_TRUE(QDir().mkpath(music));
    ASSERT_TRUE(test::makeMp3(music + "/Lumiqo Band - First Light.mp3", 40));
    ASSERT_TRUE(test::makeMp3(music + "/Lumiqo Band - Second Wind.mp3", 40));
    ASSERT_TRUE(test::writeFile(music + "/catalogue.ini", "[start]\r\n"
                                                          "Lumiqo Band - First Light.mp3\r\n"
                                                          "Lumiqo Band - Second Wind.mp3\r\n"));
    const QString served = server.start(music, root.filePath("catalogue.db"));
    ASSERT_TRUE(served.isEmpty()) << served.toStdString();
  }

  void TearDown() override {
    test::endProcess(player);
    test::endProcess(bus);
  }

  void startBus() {
    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(bus.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bus.canReadLine(); }, 20000));
    busAddress = QString::fromUtf8(bus.readLine()).trimmed();
    ASSERT_FALSE(busAddress.isEmpty());
  }

  QProcessEnvironment playerEnvironment() const {
    QProcessEnvironment env = test::privateEnvironment(root);
    env.insert("LUMIQO_SERVER", server.listen);
    if (!busAddress.isEmpty())
      env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    return env;
  }

  // A desktop tool against the private bus.
  Ran tool(const QString &program, const QStringList &args) {
    Ran ran = test::run(program, args, playerEnvironment(), 30000, QProcess::SeparateChannels);
    ran.out = ran.out.trimmed();
    return ran;
  }
  QString playerctl(const QStringList &args) {
    return tool("playerctl", QStringList{"-p", "lumiqo"} + args).out;
  }
  Ran dbusSend(const QString &method, const QStringList &args) {
    return tool("dbus-send", QStringList{"--session", "--print-reply", "--dest=" + kService,
                                         "/org/mpris/MediaPlayer2", method} +
                                 args);
  }
  QString rootProperty(const QString &name) {
    return dbusSend("org.freedesktop.DBus.Properties.Get",
                    {"string:org.mpris.MediaPlayer2", "string:" + name})
        .out;
  }
  // The player's memory map: which libraries it has loaded.
  QByteArray mapsOfPlayer() {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(player.processId()));
    return maps.open(QIODevice::ReadOnly) ? maps.readAll() : QByteArray();
  }

  bool waitForPlayerctl(const QStringList &args, const QString &expected) {
    return QTest::qWaitFor([&] { return playerctl(args) == expected; }, 60000);
  }
};

// Records the PropertiesChanged signals of the player's interface.
class ChangeRecorder : public QObject {
  Q_OBJECT
public:
  QList<QVariantMap> changes;
  int count(const QString &property) const {
    return static_cast<int>(std::count_if(changes.begin(), changes.end(),
                                          [&](const QVariantMap &c) { return c.contains(property); }));
  }
  bool saw(const QString &property, const std::function<bool(const QVariant &)> &matches) const {
    return std::any_of(changes.begin(), changes.end(), [&](const QVariantMap &c) {
      return c.contains(property) && matches(c.value(property));
    });
  }
public slots:
  void changed(const QString &interface, const QVariantMap &properties, const QStringList &) {
    if (interface == QLatin1String("org.mpris.MediaPlayer2.Player"))
      changes << properties;
  }
};

TEST_F(Mpris, TheDesktopsMediaControlsDriveThePlayer) {
  startBus();
  QDBusConnection client = QDBusConnection::connectToBus(busAddress, QStringLiteral("mpris-test"));
  ASSERT_TRUE(client.isConnected());
  ChangeRecorder recorder;
  ASSERT_TRUE(client.connect(QString(), "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties",
                             "PropertiesChanged", &recorder,
                             SLOT(changed(QString, QVariantMap, QStringList))));

  player.setProcessEnvironment(playerEnvironment());
  player.start(QStringLiteral(LUMIQO_PROGRAM), {});
  ASSERT_TRUE(player.waitForStarted(10000));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return client.interface()->isServiceRegistered(kService).value(); }, 60000))
      << player.readAllStandardError().toStdString();

  EXPECT_TRUE(rootProperty("Identity").contains("string \"Lumiqo\""))
      << rootProperty("Identity").toStdString();
  EXPECT_TRUE(rootProperty("DesktopEntry").contains("string \"lumiqo\""));
  EXPECT_EQ(playerctl({"status"}), "Stopped");
  // Started, and nothing played yet: the decoder library, and FFmpeg with it, is not loaded.
  EXPECT_FALSE(mapsOfPlayer().contains("libavcodec")) << "FFmpeg is loaded before any song";

  // Next starts the first row of the start list, as the next button does.
  playerctl({"next"});
  ASSERT_TRUE(waitForPlayerctl({"status"}, "Playing")) << server.log().toStdString();
  const QStringList titleAndArtist{"metadata", "--format", "{{xesam:title}}|{{xesam:artist}}"};
  EXPECT_TRUE(mapsOfPlayer().contains("liblumiqo_decoder")) << "a song plays without the decoder library?";
  EXPECT_TRUE(waitForPlayerctl(titleAndArtist, "First Light|Lumiqo Band"))
      << playerctl(titleAndArtist).toStdString();
  const QString firstTrack = playerctl({"metadata", "mpris:trackid"});
  // The length comes from the stream once it is known: 40 s, in microseconds.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return playerctl({"metadata", "mpris:length"}).toLongLong() > 0;
      },
      30000));
  EXPECT_NEAR(playerctl({"metadata", "mpris:length"}).toLongLong(), 40'000'000, 1'000'000);
  EXPECT_GT(playerctl({"position"}).toDouble(), 0.0);

  playerctl({"pause"});
  EXPECT_TRUE(waitForPlayerctl({"status"}, "Paused"));
  playerctl({"play"});
  EXPECT_TRUE(waitForPlayerctl({"status"}, "Playing"));
  playerctl({"play-pause"});
  EXPECT_TRUE(waitForPlayerctl({"status"}, "Paused"));
  playerctl({"play-pause"});
  EXPECT_TRUE(waitForPlayerctl({"status"}, "Playing"));

  playerctl({"next"});
  EXPECT_TRUE(waitForPlayerctl(titleAndArtist, "Second Wind|Lumiqo Band"));
  EXPECT_NE(playerctl({"metadata", "mpris:trackid"}), firstTrack);

  playerctl({"volume", "0.3"});
  const auto nearTenths3 = [](const QVariant &v) { return std::abs(v.toDouble() - 0.3) < 0.01; };
  EXPECT_TRUE(QTest::qWaitFor([&] { return nearTenths3(playerctl({"volume"})); }, 10000))
      << playerctl({"volume"}).toStdString();

  // Every change was published as it happened: state, song and volume.
  EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.saw("Volume", nearTenths3); }, 10000));
  for (const char *status : {"Paused", "Playing"})
    EXPECT_TRUE(recorder.saw("PlaybackStatus", [&](const QVariant &v) { return v.toString() == status; }))
        << status;
  EXPECT_GE(recorder.count("Metadata"), 2);

  EXPECT_EQ(dbusSend("org.mpris.MediaPlayer2.Raise", {}).exitCode, 0);
  // Quit closes the player through its shutdown.
  EXPECT_EQ(dbusSend("org.mpris.MediaPlayer2.Quit", {}).exitCode, 0);
  ASSERT_TRUE(player.waitForFinished(30000));
  EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(player.exitCode(), 0);
  QDBusConnection::disconnectFromBus(QStringLiteral("mpris-test"));
}

TEST_F(Mpris, WithoutABusThePlayerStartsAndPlaysSilently) {
  // The first song's link, as the start list gives it.
  qputenv("LUMIQO_SERVER", server.listen.toLatin1());
  QMListBox list;
  CatalogueState state;
  LoadList(QStringLiteral("M0"), list, state);
  qunsetenv("LUMIQO_SERVER");
  ASSERT_GT(list.ListCount(), 0);
  const QString link = list.URL(0);

  player.setProcessEnvironment(playerEnvironment());
  player.start(QStringLiteral(LUMIQO_PROGRAM), {"qorvex://zembrol=6162_6364_" + link});
  ASSERT_TRUE(player.waitForStarted(10000));
  const QRegularExpression streamServed(QStringLiteral("GET /\\S+\\.mp3 20[06] "));
  ASSERT_TRUE(QTest::qWaitFor([&] { return streamServed.match(server.log()).hasMatch(); }, 60000))
      << server.log().toStdString();
  test::endProcess(player);
  const QString said = QString::fromUtf8(player.readAllStandardError());
  EXPECT_FALSE(said.contains("bus", Qt::CaseInsensitive)) << said.toStdString();
}

} // namespace
} // namespace lumiqo

#include "mpris_test.moc"
