#include "app/instance/instance_channel.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace lumiqo {
namespace {

// A message that has not arrived whole by then is dropped with its connection.
constexpr int kReceiveTimeoutMs = 3000;
// How long claim() waits for a running instance to accept.
constexpr int kProbeTimeoutMs = 250;
// A socket path must fit sockaddr_un (108 bytes with the NUL).
constexpr qsizetype kMaxSocketPath = 100;

bool peerIsSameUser(qintptr fd) {
  ucred cred{};
  socklen_t len = sizeof cred;
  if (fd < 0 || ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0)
    return false;
  return cred.uid == ::getuid();
}

// How long a start waits for another start to finish taking the channel.
constexpr int kLockWaitMs = 5000;

// The lock file beside the channel, held with flock while the channel is taken: two starts at
// the same moment take turns, and the later one finds the earlier one listening instead of
// replacing its channel. A lock file that is not a plain file of the user is not used (the
// start then goes on without it, as it would on a file system without flock).
class ClaimLock {
public:
  explicit ClaimLock(const QString &channel) {
    const QByteArray path = (channel + QStringLiteral(".lock")).toLocal8Bit();
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat info {};
    if (fd_ >= 0 && (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::getuid()))
      release();
    const QDeadlineTimer deadline(kLockWaitMs);
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
        release();
      else
        ::usleep(5000);
    }
  }
  ~ClaimLock() { release(); }
  ClaimLock(const ClaimLock &) = delete;
  ClaimLock &operator=(const ClaimLock &) = delete;

private:
  void release() {
    if (fd_ >= 0)
      ::close(fd_); // closing the only descriptor of the open file gives the lock back
    fd_ = -1;
  }
  int fd_ = -1;
};

QString runtimeFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime)) {
    const QFileInfo info(runtime);
    if (info.isDir() && info.ownerId() == ::getuid())
      return QDir::cleanPath(runtime);
  }
  return QDir::cleanPath(QDir::tempPath());
}

QByteArray frame(const QByteArray &payload) {
  QByteArray out(4, '\0');
  qToBigEndian(static_cast<quint32>(payload.size()), out.data());
  return out + payload;
}

} // namespace

QString channelName(uint userId) {
  const QString file = kServiceTopic.toString() + QLatin1Char('.') + QString::number(userId);
  QString path = runtimeFolder() + QLatin1Char('/') + file;
  if (path.toLocal8Bit().size() > kMaxSocketPath)
    path = QStringLiteral("/tmp/") + file;
  return path;
}

QString channelName() {
  return channelName(::getuid());
}

SingleInstance::SingleInstance(QString name, QObject *parent) : QObject(parent), name_(std::move(name)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
}

bool SingleInstance::claim() {
  if (server_.isListening())
    return true;
  const ClaimLock lock(name_);
  // Ask before listening: a listening socket for the user is put in place by a rename,
  // which would silently take the name from a running instance.
  QLocalSocket probe;
  probe.connectToServer(name_);
  if (probe.waitForConnected(kProbeTimeoutMs)) {
    const bool ours = peerIsSameUser(probe.socketDescriptor());
    probe.abort();
    // Another user's socket under our name: never talk to it; run alone.
    return !ours;
  }
  // Nobody answers: no file, or a crashed instance left its socket file behind.
  QLocalServer::removeServer(name_);
  server_.listen(name_); // when even this fails the player runs alone
  return true;
}

void SingleInstance::acceptConnections() {
  while (QLocalSocket *socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    if (!peerIsSameUser(socket->socketDescriptor())) {
      socket->abort();
      continue;
    }
    auto *timeout = new QTimer(socket);
    timeout->setSingleShot(true);
    connect(timeout, &QTimer::timeout, socket, &QLocalSocket::abort);
    timeout->start(kReceiveTimeoutMs);

    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
      *buffer += socket->readAll();
      if (buffer->size() < 4)
        return;
      const quint32 length = qFromBigEndian<quint32>(buffer->constData());
      if (length > kMaxHandOverBytes || buffer->size() > 4 + static_cast<qint64>(length)) {
        socket->abort();
        return;
      }
      if (buffer->size() < 4 + static_cast<qint64>(length))
        return;
      const QString text = QString::fromUtf8(buffer->mid(4));
      buffer->clear();
      socket->disconnectFromServer();
      deliver(text);
    });
  }
}

void SingleInstance::deliver(const QString &text) {
  if (holding_)
    held_.append(text);
  else
    emit LinkExecute(text);
}

void SingleInstance::releaseHeldLinks() {
  // A message that arrives while the held ones run (a handler that waits in an event loop)
  // queues up behind them.
  while (!held_.isEmpty())
    emit LinkExecute(held_.takeFirst());
  holding_ = false;
}

bool SendToRunning(const QString &text, const QString &name, int budgetMs) {
  const QByteArray payload = text.toUtf8();
  if (payload.size() > kMaxHandOverBytes)
    return false;
  const QDeadlineTimer deadline(budgetMs);
  QLocalSocket socket;
  socket.connectToServer(name);
  if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
    return false;
  if (!peerIsSameUser(socket.socketDescriptor())) {
    socket.abort();
    return false;
  }
  socket.write(frame(payload));
  while (socket.bytesToWrite() > 0 && !deadline.hasExpired())
    if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
      break;
  const bool sent = socket.bytesToWrite() == 0;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState)
    socket.waitForDisconnected(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 100)));
  return sent;
}

} // namespace lumiqo
