#pragma once
// A loopback HTTP server for tests, on 127.0.0.1 and a free port, in its own thread.
// Wraps cpp-httplib; routes are added before start().

#include <httplib.h>

#include <memory>
#include <string>
#include <thread>

namespace lumiqo::test {

class HttpServer {
public:
  HttpServer();
  ~HttpServer();
  HttpServer(const HttpServer &) = delete;
  HttpServer &operator=(const HttpServer &) = delete;

  httplib::Server &server() { return *server_; }

  // Binds 127.0.0.1 on a free port and serves in a thread; returns the port.
  int start();
  void stop();

  int port() const { return port_; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string authority() const { return "127.0.0.1:" + std::to_string(port_); }

private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
};

// A loopback port that refuses connections: bound, then closed again.
int refusedPort();

// A server that accepts connections and never answers; for time-out tests.
class SilentServer {
public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer &) = delete;
  SilentServer &operator=(const SilentServer &) = delete;
  int port() const { return port_; }
  std::string authority() const { return "127.0.0.1:" + std::to_string(port_); }

private:
  int listenFd_ = -1;
  int port_ = 0;
};

} // namespace lumiqo::test
