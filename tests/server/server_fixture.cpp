#include "server_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace lumiqo::server::test {

bool makeAudio(const QString &path, const QString &title, const QString &artist, const QString &album) {
  QDir().mkpath(QFileInfo(path).path());
  const bool wma = path.endsWith(QLatin1String(".wma"));
  QStringList args = {QStringLiteral("-loglevel"),
                      QStringLiteral("error"),
                      QStringLiteral("-y"),
                      QStringLiteral("-f"),
                      QStringLiteral("lavfi"),
                      QStringLiteral("-i"),
                      QStringLiteral("sine=frequency=440:duration=1"),
                      QStringLiteral("-c:a"),
                      wma ? QStringLiteral("wmav2") : QStringLiteral("libmp3lame"),
                      QStringLiteral("-b:a"),
                      QStringLiteral("64k")};
  const auto meta = [&](const char *key, const QString &value) {
    if (!value.isEmpty())
      args << QStringLiteral("-metadata") << QStringLiteral("%1=%2").arg(QLatin1String(key), value);
  };
  meta("title", title);
  meta("artist", artist);
  meta("album", album);
  args << path;
  return QProcess::execute(QStringLiteral("ffmpeg"), args) == 0;
}

void writeFile(const QString &path, const QByteArray &bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.write(bytes);
}

RunningServer::RunningServer(const std::string &dbPath, ServiceOptions options) : store_(dbPath) {
  options.accessLog = [this](const std::string &line) {
    std::lock_guard lock(logMutex_);
    log_.push_back(line);
  };
  service_ = std::make_unique<Service>(store_, std::move(options));
  port_ = service_->bindToAnyPort("127.0.0.1");
  thread_ = std::thread([this] { service_->listen(); });
  // stop() only reaches a server that has started its loop.
  for (int i = 0; i < 5000 && !service_->isRunning(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

RunningServer::~RunningServer() {
  service_->stop();
  thread_.join();
}

std::vector<std::string> RunningServer::logLines() {
  std::lock_guard lock(logMutex_);
  return log_;
}

} // namespace lumiqo::server::test

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace lumiqo::server::test {

std::string rawExchange(int port, const std::string &request) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return {};
  timeval timeout{5, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  std::string reply;
  if (::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
      ::send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
    char buf[4096];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0)
      reply.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return reply;
}

std::string percentEncode(const QByteArray &bytes) {
  return bytes.toPercentEncoding().toStdString();
}

} // namespace lumiqo::server::test
