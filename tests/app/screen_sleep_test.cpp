// The desktop's screen saver or lock, heard on a private session bus.

#include "app/screen_sleep.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <gtest/gtest.h>

using lumiqo::ScreenSleep;

namespace {

class SessionBus : public ::testing::Test {
protected:
  QProcess daemon;
  QString address;

  void SetUp() override {
    for (const char *tool : {"dbus-daemon", "dbus-send"})
      if (QStandardPaths::findExecutable(tool).isEmpty())
        GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
    daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(daemon.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return daemon.canReadLine(); }, 20000));
    address = QString::fromUtf8(daemon.readLine()).trimmed();
  }
  void TearDown() override {
    QDBusConnection::disconnectFromBus(QStringLiteral("screen-sleep-test"));
    daemon.terminate();
    daemon.waitForFinished(10000);
  }

  QDBusConnection bus() {
    return QDBusConnection::connectToBus(address, QStringLiteral("screen-sleep-test"));
  }

  // What a desktop's screen saver says when it starts or stops.
  void saverSays(const QString &interface, const QString &path, bool active) {
    const int code =
        QProcess::execute(QStringLiteral("dbus-send"),
                          {"--bus=" + address, "--type=signal", path, interface + ".ActiveChanged",
                           active ? QStringLiteral("boolean:true") : QStringLiteral("boolean:false")});
    ASSERT_EQ(code, 0);
  }
};

} // namespace

TEST_F(SessionBus, EitherDesktopsScreenSaverPutsTheScreenToSleepAndWakesIt) {
  QDBusConnection connection = bus();
  ASSERT_TRUE(connection.isConnected());
  ScreenSleep sleep(connection);
  EXPECT_FALSE(sleep.asleep());
  saverSays(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"), true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return sleep.asleep(); }, 15000)) << "a freedesktop screen saver";
  saverSays(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"), false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !sleep.asleep(); }, 15000));
  saverSays(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"), true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return sleep.asleep(); }, 15000)) << "GNOME's";
  saverSays(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"), false);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !sleep.asleep(); }, 15000));
}
