#pragma once
// Loopback peers for the socket tests: plain POSIX sockets on 127.0.0.1, and an event-loop
// wait with a deadline.

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumiqo::test {

// Runs the event loop until `done` holds or `ms` pass; returns `done()`.
template <typename Pred> bool waitUntil(Pred done, int ms = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < ms)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

inline sockaddr_in loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  return a;
}

inline int localPort(int fd) {
  sockaddr_in a{};
  socklen_t len = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
  return ntohs(a.sin_port);
}

// A descriptor closed on scope exit.
struct Fd {
  int fd = -1;
  Fd() = default;
  explicit Fd(int f) : fd(f) {}
  Fd(Fd &&o) noexcept : fd(o.fd) { o.fd = -1; }
  Fd &operator=(Fd &&o) noexcept {
    reset();
    fd = o.fd;
    o.fd = -1;
    return *this;
  }
  ~Fd() { reset(); }
  void reset() {
    if (fd >= 0)
      ::close(fd);
    fd = -1;
  }
};

// A TCP listener on 127.0.0.1 and a free port.
class PosixListener {
public:
  PosixListener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    const int on = 1;
    ::setsockopt(fd_.fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in a = loopback(0);
    ::bind(fd_.fd, reinterpret_cast<const sockaddr *>(&a), sizeof a);
    ::listen(fd_.fd, 8);
    port_ = localPort(fd_.fd);
  }
  int port() const { return port_; }
  // Accepts one connection, running the event loop meanwhile; -1 on time-out.
  Fd accept(int ms = 5000) {
    Fd peer;
    waitUntil(
        [&] {
          pollfd p{fd_.fd, POLLIN, 0};
          if (::poll(&p, 1, 0) == 1)
            peer = Fd(::accept(fd_.fd, nullptr, nullptr));
          return peer.fd >= 0;
        },
        ms);
    return peer;
  }

private:
  Fd fd_;
  int port_ = 0;
};

// A port on 127.0.0.1 where nobody listens.
inline int refusedPort() {
  Fd probe(::socket(AF_INET, SOCK_STREAM, 0));
  const sockaddr_in a = loopback(0);
  ::bind(probe.fd, reinterpret_cast<const sockaddr *>(&a), sizeof a);
  return localPort(probe.fd);
}

// A blocking client connected to 127.0.0.1:port.
inline Fd connectTo(int port) {
  Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in a = loopback(port);
  if (::connect(fd.fd, reinterpret_cast<const sockaddr *>(&a), sizeof a) != 0)
    fd.reset();
  return fd;
}

inline void sendAll(int fd, const QByteArray &bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
    if (n <= 0)
      return;
    done += n;
  }
}

// Reads what is there without blocking; appends to `into`. False once the peer has closed.
inline bool drain(int fd, QByteArray &into) {
  char buf[65536];
  for (;;) {
    const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
    if (n > 0) {
      into.append(buf, n);
      continue;
    }
    return !(n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK));
  }
}

} // namespace lumiqo::test
