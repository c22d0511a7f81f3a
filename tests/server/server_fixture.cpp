#include "server_fixture.h"

#include "sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace lumiqo::server::test {

bool makeAudio(const QString &path, const QString &title, const QString &artist, const QString &album,
               const QStringList &metadata) {
  QDir().mkpath(QFileInfo(path).path());
  const QString ext = QFileInfo(path).suffix().toLower();
  const QString codec = ext == "wma"                   ? QStringLiteral("wmav2")
                        : ext == "flac"                ? QStringLiteral("flac")
                        : ext == "m4a" || ext == "aac" ? QStringLiteral("aac")
                        : ext == "ogg"                 ? QStringLiteral("libvorbis")
                        : ext == "opus"                ? QStringLiteral("libopus")
                                                       : QStringLiteral("libmp3lame");
  QStringList args = {QStringLiteral("-loglevel"),
                      QStringLiteral("error"),
                      QStringLiteral("-y"),
                      QStringLiteral("-f"),
                      QStringLiteral("lavfi"),
                      QStringLiteral("-i"),
                      QStringLiteral("sine=frequency=440:duration=1"),
                      QStringLiteral("-c:a"),
                      codec};
  if (ext != "flac")
    args << QStringLiteral("-b:a") << QStringLiteral("64k");
  const auto meta = [&](const char *key, const QString &value) {
    if (!value.isEmpty())
      args << QStringLiteral("-metadata") << QStringLiteral("%1=%2").arg(QLatin1String(key), value);
  };
  meta("title", title);
  meta("artist", artist);
  meta("album", album);
  for (const QString &m : metadata)
    args << QStringLiteral("-metadata") << m;
  args << path;
  return QProcess::execute(QStringLiteral("ffmpeg"), args) == 0;
}

QByteArray id3v2Tag(const std::vector<std::pair<QByteArray, QByteArray>> &frames) {
  QByteArray body;
  for (const auto &[id, content] : frames) {
    const auto size = static_cast<quint32>(content.size());
    body += id.left(4);
    for (int shift = 24; shift >= 0; shift -= 8)
      body += static_cast<char>((size >> shift) & 0xFF);
    body += QByteArray(2, '\0') + content;
  }
  QByteArray tag("ID3\x03\x00\x00", 6);
  const auto size = static_cast<quint32>(body.size());
  for (int shift = 21; shift >= 0; shift -= 7) // "syncsafe": seven bits a byte
    tag += static_cast<char>((size >> shift) & 0x7F);
  return tag + body;
}

QByteArray withoutId3v2(const QByteArray &mp3) {
  if (!mp3.startsWith("ID3") || mp3.size() < 10)
    return mp3;
  int size = 0;
  for (int i = 6; i < 10; ++i)
    size = (size << 7) | (static_cast<unsigned char>(mp3[i]) & 0x7F);
  return mp3.mid(10 + size);
}

QByteArray usltBody(const QString &lyrics) {
  QByteArray body("\x01"
                  "eng"
                  "\xFF\xFE\x00\x00\xFF\xFE",
                  10); // UTF-16, language, empty description
  body.append(reinterpret_cast<const char *>(lyrics.utf16()), lyrics.size() * 2);
  return body;
}

QByteArray id3v1Tag(const QByteArray &title, const QByteArray &artist) {
  const auto field = [](const QByteArray &text, int size) {
    return text.left(size).leftJustified(size, '\0');
  };
  return "TAG" + field(title, 30) + field(artist, 30) + field({}, 30) + field("2001", 4) + field({}, 30) +
         "\xFF";
}

void writeFile(const QString &path, const QByteArray &bytes) {
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  if (file.open(QIODevice::WriteOnly))
    file.write(bytes);
}

QByteArray readFile(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::map<std::string, SongRow> catalogueSongs(const std::string &db) {
  Database database(db, Database::Mode::ReadOnly);
  Statement st =
      database.prepare("SELECT rel_path, link, title, artist, album, stream_path, lyrics FROM songs");
  std::map<std::string, SongRow> out;
  while (st.step())
    out[st.text(0)] = {st.text(1), st.text(2), st.text(3), st.text(4), st.text(5), st.optionalText(6)};
  return out;
}

RunningServer::RunningServer(const std::string &dbPath, ServiceOptions options) : store_(dbPath) {
  options.accessLog = [this](const std::string &line) {
    std::lock_guard lock(logMutex_);
    log_.push_back(line);
  };
  options.errorLog = options.accessLog;
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
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace lumiqo::server::test {

Connection::Connection(int port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd_ < 0)
    return;
  timeval timeout{5, 0};
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::connect(fd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

Connection::~Connection() {
  if (fd_ >= 0)
    ::close(fd_);
}

bool Connection::send(std::string_view bytes) {
  return fd_ >= 0 &&
         ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

std::string Connection::receiveAll() {
  std::string reply;
  char buf[4096];
  ssize_t n;
  while (fd_ >= 0 && (n = ::recv(fd_, buf, sizeof buf, 0)) > 0)
    reply.append(buf, static_cast<size_t>(n));
  return reply;
}

bool Connection::closedByServer(int ms) {
  if (fd_ < 0)
    return true;
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, ms) <= 0)
    return false;
  char c;
  const ssize_t n = ::recv(fd_, &c, 1, MSG_DONTWAIT | MSG_PEEK);
  return n == 0 || (n < 0 && errno != EAGAIN);
}

std::string rawExchange(int port, const std::string &request) {
  Connection connection(port);
  return connection.send(request) ? connection.receiveAll() : std::string();
}

std::string RawReply::header(const std::string &name) const {
  for (const auto &[key, value] : headers) {
    if (QByteArray::fromStdString(key).compare(QByteArray::fromStdString(name), Qt::CaseInsensitive) == 0)
      return value;
  }
  return {};
}

RawReply parseReply(const std::string &raw) {
  RawReply reply;
  const size_t end = raw.find("\r\n\r\n");
  if (raw.size() < 12 || end == std::string::npos)
    return reply;
  reply.status = std::atoi(raw.c_str() + 9);
  size_t line = raw.find("\r\n") + 2;
  while (line < end) {
    const size_t next = raw.find("\r\n", line);
    const std::string text = raw.substr(line, next - line);
    const size_t colon = text.find(':');
    const size_t value = text.find_first_not_of(' ', colon + 1);
    if (colon != std::string::npos)
      reply.headers.emplace_back(text.substr(0, colon), value == std::string::npos ? "" : text.substr(value));
    line = next + 2;
  }
  reply.body = raw.substr(end + 4);
  return reply;
}

std::string percentEncode(const QByteArray &bytes) {
  return bytes.toPercentEncoding().toStdString();
}

} // namespace lumiqo::server::test
