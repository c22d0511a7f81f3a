// Start-up of the main window with and without a session bus: Form_Load as the program runs
// it (the catalogue on a port that refuses, the no-sound device), then, with a bus, the
// connection to a private dbus-daemon and the MPRIS registration a real start adds. The
// difference is what the desktop's media controls cost at start-up.

#include "app/desktop/qorvex_mpris.h"
#include "app/qorvex.h"
#include "base/app_folder.h"
#include "base/message_box.h"

#include <QDir>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace lumiqo {
namespace {

struct World {
  QTemporaryDir root;
  QProcess bus;
  QString busAddress;

  World() {
    for (const char *dir : {"prog/inc", "prog/skin", "run", "data", "config"})
      QDir(root.path()).mkpath(dir);
    QFile::setPermissions(root.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", root.filePath("run").toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath("data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toLocal8Bit());
    qputenv("LUMIQO_AUDIO_DEVICE", "0");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // Form_Load itself finds no bus
    QTcpServer refusing;
    refusing.listen(QHostAddress::LocalHost);
    qputenv("LUMIQO_SERVER", "127.0.0.1:" + QByteArray::number(refusing.serverPort()));
    setAppFolderForTesting(root.filePath("prog"));
    setMessageHandler([](const MessageRequest &) {});

    bus.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (bus.waitForStarted(10000) && bus.waitForReadyRead(10000))
      busAddress = QString::fromUtf8(bus.readLine()).trimmed();
    // One start first, so neither figure carries the first start's loading of fonts and
    // plugins.
    qorvex warmUp;
    warmUp.Form_Load();
  }
  ~World() {
    bus.terminate();
    bus.waitForFinished(5000);
    setMessageHandler({});
    setAppFolderForTesting({});
  }
};

World &world() {
  static World w;
  return w;
}

void StartUpWithoutBus(benchmark::State &state) {
  world();
  for (auto _ : state) {
    auto window = std::make_unique<qorvex>();
    if (!window->Form_Load().run) {
      state.SkipWithError("start-up failed");
      return;
    }
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}

void StartUpWithBus(benchmark::State &state) {
  if (world().busAddress.isEmpty()) {
    state.SkipWithError("no dbus-daemon");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    const QString name = QStringLiteral("bench-%1").arg(++n);
    auto window = std::make_unique<qorvex>();
    if (!window->Form_Load().run) {
      state.SkipWithError("start-up failed");
      return;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(world().busAddress, name);
    if (!QorvexMpris::attach(*window, bus)) {
      state.SkipWithError("no MPRIS registration");
      return;
    }
    state.PauseTiming();
    window.reset();
    QDBusConnection::disconnectFromBus(name);
    state.ResumeTiming();
  }
}

// The bus part alone: connecting to the bus and registering the player, on a window that is up.
void MprisRegistration(benchmark::State &state) {
  if (world().busAddress.isEmpty()) {
    state.SkipWithError("no dbus-daemon");
    return;
  }
  qorvex window;
  if (!window.Form_Load().run) {
    state.SkipWithError("start-up failed");
    return;
  }
  int n = 0;
  for (auto _ : state) {
    const QString name = QStringLiteral("registration-%1").arg(++n);
    QDBusConnection bus = QDBusConnection::connectToBus(world().busAddress, name);
    std::unique_ptr<QorvexMpris> mpris(QorvexMpris::attach(window, bus));
    if (!mpris) {
      state.SkipWithError("no MPRIS registration");
      return;
    }
    state.PauseTiming();
    mpris.reset();
    QDBusConnection::disconnectFromBus(name);
    state.ResumeTiming();
  }
}

BENCHMARK(StartUpWithoutBus)->Iterations(50)->Unit(benchmark::kMillisecond);
BENCHMARK(StartUpWithBus)->Iterations(50)->Unit(benchmark::kMillisecond);
BENCHMARK(MprisRegistration)->Iterations(100)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace lumiqo
