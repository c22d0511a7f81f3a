#pragma once
// A short MP3 made with ffmpeg at test time, and a loopback server that serves a folder.

#include "support/http_server.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace lumiqo::test {

// A sine tone of `seconds` as a 44.1 kHz stereo MP3 at `path`; false when ffmpeg fails.
inline bool makeMp3(const QString &path, int seconds) {
  QProcess ffmpeg;
  ffmpeg.start(QStringLiteral("ffmpeg"),
               {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                QStringLiteral("sine=frequency=440:duration=%1").arg(seconds), QStringLiteral("-ar"),
                QStringLiteral("44100"), QStringLiteral("-ac"), QStringLiteral("2"), QStringLiteral("-b:a"),
                QStringLiteral("128k"), path});
  return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
         ffmpeg.exitCode() == 0;
}

// Serves the files of a folder under /music/ on 127.0.0.1.
class MusicServer {
public:
  explicit MusicServer(const QString &folder) {
    server_.server().set_mount_point("/music", folder.toStdString());
    server_.start();
  }
  QString url(const QString &file) const {
    return QString::fromStdString(server_.base()) + QStringLiteral("/music/") + file;
  }
  HttpServer &http() { return server_; }

private:
  HttpServer server_;
};

} // namespace lumiqo::test
