#pragma once
// Pieces of whole-program tests: a real lumiqo-server on 127.0.0.1, the environment of a
// player started as a process of its own, and ending such a process.

#include "support/http_server.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace lumiqo::test {

inline bool writeFile(const QString &path, const QByteArray &bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// The environment of a player started under `root`: runtime, home, data and config folders of
// its own there, the offscreen platform and the no-sound device, and no session bus.
inline QProcessEnvironment privateEnvironment(const QTemporaryDir &root) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char *dir : {"run", "home", "data", "config"})
    QDir(root.path()).mkpath(dir);
  QFile::setPermissions(root.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("LUMIQO_AUDIO_DEVICE", "0");
  env.insert("XDG_RUNTIME_DIR", root.filePath("run"));
  env.insert("HOME", root.filePath("home"));
  env.insert("XDG_DATA_HOME", root.filePath("data"));
  env.insert("XDG_CONFIG_HOME", root.filePath("config"));
  env.remove("DBUS_SESSION_BUS_ADDRESS");
  env.remove("DISPLAY");
  return env;
}

// Ends a process started by a test: asked first, killed after 10 s. A stopped process is let
// go on first, or it could not answer.
inline void endProcess(QProcess &process) {
  if (process.state() == QProcess::NotRunning)
    return;
  ::kill(static_cast<pid_t>(process.processId()), SIGCONT);
  process.terminate();
  if (!process.waitForFinished(10000)) {
    process.kill();
    process.waitForFinished(5000);
  }
}

// What a short command did: its exit code (-1 when it did not end by itself in time) and its
// output.
struct Ran {
  int exitCode = -1;
  QString out;
};

// Runs a command to its end. `channels` says whether its errors join its output
// (QProcess::MergedChannels) or are left out (QProcess::SeparateChannels).
inline Ran run(const QString &program, const QStringList &args, const QProcessEnvironment &environment,
               int timeoutMs, QProcess::ProcessChannelMode channels = QProcess::MergedChannels) {
  QProcess p;
  p.setProcessEnvironment(environment);
  p.setProcessChannelMode(channels);
  p.start(program, args);
  Ran ran;
  if (p.waitForFinished(timeoutMs) && p.exitStatus() == QProcess::NormalExit)
    ran.exitCode = p.exitCode();
  ran.out = QString::fromUtf8(p.readAllStandardOutput());
  return ran;
}

class CatalogueServer {
public:
  QProcess process;
  QString listen; // "127.0.0.1:port"
  int port = 0;

  ~CatalogueServer() { endProcess(process); }

  // Imports `music` into the catalogue `db` and serves it; the text of what went wrong, or
  // nothing once the server answers.
  QString start(const QString &music, const QString &db) {
    QProcess import;
    import.start(QStringLiteral(LUMIQO_SERVER_PROGRAM), {"import", music, "--db", db});
    if (!import.waitForFinished(60000) || import.exitCode() != 0)
      return QStringLiteral("import failed: ") + QString::fromUtf8(import.readAllStandardError());
    port = refusedPort();
    listen = QStringLiteral("127.0.0.1:%1").arg(port);
    process.start(QStringLiteral(LUMIQO_SERVER_PROGRAM), {"serve", "--db", db, "--listen", listen});
    if (!process.waitForStarted(10000))
      return QStringLiteral("the server did not start");
    const bool answers = QTest::qWaitFor(
        [&] {
          QTcpSocket probe;
          probe.connectToHost(QStringLiteral("127.0.0.1"), port);
          return probe.waitForConnected(200);
        },
        20000);
    return answers ? QString() : QStringLiteral("the server does not answer");
  }

  // The access log so far (one line per request).
  QString log() {
    log_ += QString::fromUtf8(process.readAllStandardError());
    return log_;
  }

private:
  QString log_;
};

} // namespace lumiqo::test
