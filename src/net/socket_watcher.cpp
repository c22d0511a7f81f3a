#include "net/socket_watcher.h"

#include "net/mod_socket_master.h"
#include "net/socket_error.h"

#include <cerrno>
#include <sys/socket.h>

namespace lumiqo {

using namespace modSocketMaster;

namespace {

int socketOption(int socket, int option) {
  int value = 0;
  socklen_t length = sizeof value;
  if (::getsockopt(socket, SOL_SOCKET, option, &value, &length) != 0)
    return 0;
  return value;
}

} // namespace

SocketWatcher::SocketWatcher(int socket, quint64 id, Post post)
    : socket_(socket), id_(id), post_(std::move(post)), read_(socket, QSocketNotifier::Read),
      write_(socket, QSocketNotifier::Write) {
  read_.setEnabled(false);
  write_.setEnabled(false);
  QObject::connect(&read_, &QSocketNotifier::activated, [this] { onReadable(); });
  QObject::connect(&write_, &QSocketNotifier::activated, [this] { onWritable(); });
}

void SocketWatcher::armRead() {
  if (!closed_ && !connecting_)
    read_.setEnabled(true);
}

void SocketWatcher::armWrite() {
  if (!connecting_)
    write_.setEnabled(true);
}

void SocketWatcher::watchConnect() {
  connecting_ = true;
  read_.setEnabled(false);
  write_.setEnabled(true);
}

void SocketWatcher::onReadable() {
  read_.setEnabled(false);
  if (socketOption(socket_, SO_ACCEPTCONN)) {
    post_(FD_ACCEPT, 0);
    return;
  }
  if (socketOption(socket_, SO_TYPE) == SOCK_DGRAM) {
    post_(FD_READ, 0);
    return;
  }
  // A stream: data waiting, the peer's orderly close, or a failure. Data comes first, so a
  // close is reported only once everything before it has been read.
  char probe;
  const ssize_t n = ::recv(socket_, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
  if (n > 0) {
    post_(FD_READ, 0);
  } else if (n == 0) {
    closed_ = true;
    post_(FD_CLOSE, 0);
  } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
    read_.setEnabled(true);
  } else {
    closed_ = true;
    post_(FD_CLOSE, SocketErrorFromErrno(errno));
  }
}

void SocketWatcher::onWritable() {
  write_.setEnabled(false);
  if (!connecting_) {
    post_(FD_WRITE, 0);
    return;
  }
  connecting_ = false;
  const int error = socketOption(socket_, SO_ERROR);
  if (error != 0) {
    closed_ = true;
    post_(FD_CONNECT, SocketErrorFromErrno(error));
    return;
  }
  post_(FD_CONNECT, 0);
  post_(FD_WRITE, 0);
  armRead();
}

} // namespace lumiqo
