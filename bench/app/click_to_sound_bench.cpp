// Click to sound on loopback. A lumiqo-server serves one song; the main window plays its row
// through the whole road (authorisation, translation, address lookup, the stream start), and
// the engine opens the final address the road ended at directly. Both are timed from the
// call to the moment the engine reports playing, and to the moment the first sample has
// reached the output (the heard position leaves 0). The road's figure should exceed the
// direct one by Timer1's 100 ms and tmrNetRadio's 50 ms and little more.
//
// Device 0 (no sound) unless LUMIQO_AUDIO_DEVICE says otherwise; -1 is the PulseAudio sink.

#include "app/qorvex.h"
#include "base/app_folder.h"
#include "base/message_box.h"
#include "player/engine/bass.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

namespace lumiqo {
namespace {

using Clock = std::chrono::steady_clock;

// The main window, remembering the final address the link resolution opens.
class RecordingWindow : public qorvex {
public:
  QString lastAddress;
  void PlayUrlStream(const QString &address) override {
    lastAddress = address;
    qorvex::PlayUrlStream(address);
  }
};

// Runs the event loop in short slices until `done` or 10 s have passed; false on time-out.
bool spinUntil(const std::function<bool()> &done) {
  const auto limit = Clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (Clock::now() > limit)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

bool playing(HSTREAM h) {
  return h != 0 && BASS_ChannelIsActive(h) == BASS_ACTIVE_PLAYING;
}
bool heard(HSTREAM h) {
  return h != 0 && BASS_ChannelGetPosition(h, BASS_POS_BYTE) > 0;
}

struct World {
  QTemporaryDir root;
  QProcess server;
  RecordingWindow *window = nullptr;
  QString error;

  bool start() {
    for (const char *dir : {"prog/inc", "prog/skin", "run", "data", "config", "music"})
      QDir(root.path()).mkpath(dir);
    QFile::setPermissions(root.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", root.filePath("run").toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath("data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toLocal8Bit());
    if (!qEnvironmentVariableIsSet("LUMIQO_AUDIO_DEVICE"))
      qputenv("LUMIQO_AUDIO_DEVICE", "0");
    setAppFolderForTesting(root.filePath("prog"));
    setMessageHandler([this](const MessageRequest &r) { error += r.text + '\n'; });

    const QString song = root.filePath("music/Lumiqo Band - Bench Tone.mp3");
    if (QProcess::execute("ffmpeg",
                          {"-loglevel", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=20",
                           "-ar", "44100", "-ac", "2", "-b:a", "128k", song}) != 0)
      return fail("ffmpeg could not make the song");
    const QString db = root.filePath("catalogue.db");
    if (QProcess::execute(LUMIQO_SERVER_PROGRAM, {"import", root.filePath("music"), "--db", db}) != 0)
      return fail("import failed");

    QTcpServer probe; // a free loopback port
    probe.listen(QHostAddress::LocalHost);
    const QString listen = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();
    server.start(LUMIQO_SERVER_PROGRAM, {"serve", "--db", db, "--listen", listen, "--quiet"});
    if (!spinUntil([&] {
          QTcpSocket s;
          s.connectToHost(QHostAddress::LocalHost, quint16(listen.section(':', 1).toInt()));
          return s.waitForConnected(100);
        }))
      return fail("lumiqo-server did not start");
    qputenv("LUMIQO_SERVER", listen.toLatin1());

    window = new RecordingWindow;
    if (!window->Form_Load().run || window->ListCount() < 1)
      return fail("the start list did not load");
    return true;
  }

  bool fail(const char *what) {
    error += QString::fromUtf8(what) + '\n';
    return false;
  }

  ~World() {
    delete window;
    server.terminate();
    server.waitForFinished(5000);
    setMessageHandler({});
  }
};

World *world = nullptr;

void report(benchmark::State &state, double toPlaying, double toSound) {
  const double n = double(state.iterations());
  state.counters["to_playing_ms"] = toPlaying * 1000 / n;
  state.counters["to_first_sample_ms"] = toSound * 1000 / n;
}

// listplay on the first row: the whole road to the output.
void ClickToSound(benchmark::State &state) {
  RecordingWindow &w = *world->window;
  double toPlaying = 0, toSound = 0;
  for (auto _ : state) {
    w.core().an_stop_Click();
    w.setPlayIndex(0);
    const auto t0 = Clock::now();
    w.listplay();
    if (!spinUntil([&] { return playing(w.state().cur_stream); })) {
      state.SkipWithError("the row never started playing");
      return;
    }
    const auto t1 = Clock::now();
    if (!spinUntil([&] { return heard(w.state().cur_stream); })) {
      state.SkipWithError("no sample reached the output");
      return;
    }
    const auto t2 = Clock::now();
    toPlaying += std::chrono::duration<double>(t1 - t0).count();
    toSound += std::chrono::duration<double>(t2 - t0).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  w.core().an_stop_Click();
  report(state, toPlaying, toSound);
}

// The engine alone on the address the road ended at.
void DirectToSound(benchmark::State &state) {
  const QByteArray address = world->window->lastAddress.toUtf8();
  if (address.isEmpty()) {
    state.SkipWithError("the road never reached a final address");
    return;
  }
  double toPlaying = 0, toSound = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    const HSTREAM h = BASS_StreamCreateURL(address.constData(), 0, 0, nullptr, nullptr);
    if (h == 0 || !BASS_ChannelPlay(h, 0)) {
      state.SkipWithError("the engine could not open the final address");
      return;
    }
    const bool ok = spinUntil([&] { return playing(h); });
    const auto t1 = Clock::now();
    const bool ok2 = ok && spinUntil([&] { return heard(h); });
    const auto t2 = Clock::now();
    BASS_StreamFree(h);
    if (!ok2) {
      state.SkipWithError("the direct stream never sounded");
      return;
    }
    toPlaying += std::chrono::duration<double>(t1 - t0).count();
    toSound += std::chrono::duration<double>(t2 - t0).count();
    state.SetIterationTime(std::chrono::duration<double>(t2 - t0).count());
  }
  report(state, toPlaying, toSound);
}

BENCHMARK(ClickToSound)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(DirectToSound)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace lumiqo

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  lumiqo::World world;
  if (!world.start()) {
    std::fprintf(stderr, "click-to-sound: %s", qPrintable(world.error));
    return 1;
  }
  lumiqo::world = &world;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  lumiqo::world = nullptr;
  return 0;
}
