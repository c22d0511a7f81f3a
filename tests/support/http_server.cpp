#include "support/http_server.h"

#include <chrono>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumiqo::test {

int refusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

HttpServer::HttpServer() : server_(std::make_unique<httplib::Server>()) {}

HttpServer::~HttpServer() {
  stop();
}

int HttpServer::start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  // The socket already listens: connections wait in the backlog until the loop accepts.
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // stop() is a no-op until the loop runs; wait for it so an early stop() cannot hang the join.
  while (port_ > 0 && !server_->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return port_;
}

void HttpServer::stop() {
  if (thread_.joinable()) {
    server_->stop();
    thread_.join();
  }
}

SilentServer::SilentServer() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  socklen_t len = sizeof addr;
  if (listenFd_ >= 0 && ::bind(listenFd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
      ::listen(listenFd_, 16) == 0 &&
      ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&addr), &len) == 0)
    port_ = ntohs(addr.sin_port);
  // The kernel completes handshakes into the backlog; nobody ever reads or answers.
}

SilentServer::~SilentServer() {
  if (listenFd_ >= 0)
    ::close(listenFd_);
}

} // namespace lumiqo::test
