#pragma once
// The HTTP layer of lumiqo-server, on libmicrohttpd: epoll and a small pool of threads, so an
// idle or slow connection costs a descriptor and a little memory, never a thread. It bounds
// every request (request line, header block, body, and the time its header may take), times
// each request from its arrival, writes one access-log line per request with the client's
// bytes escaped, and turns an exception in a handler into a plain 500.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct MHD_Connection;
struct MHD_Daemon;
struct MHD_Response;

namespace lumiqo::server {

// A reply: status, headers and body. Built once, it may be sent any number of times.
class HttpReply {
public:
  // A body held in memory (copied).
  static HttpReply text(int status, std::string_view body, const char *contentType);
  // `length` bytes from `offset` of an open file, sent from its descriptor by the kernel.
  // Takes the descriptor (closed also when making the reply fails: the reply is then a 500).
  static HttpReply file(int status, int fd, std::uint64_t offset, std::uint64_t length,
                        const char *contentType);

  HttpReply &header(const char *name, const std::string &value);
  int status() const { return status_; }
  std::uint64_t bytes() const { return bytes_; }
  MHD_Response *response() const { return response_.get(); }

private:
  HttpReply(int status, MHD_Response *response, std::uint64_t bytes);
  int status_;
  std::shared_ptr<MHD_Response> response_;
  std::uint64_t bytes_;
};

// What a handler sees of a request. Valid only during the handler's call.
class HttpRequest {
public:
  HttpRequest(MHD_Connection *connection, std::string_view method, std::string_view path)
      : connection_(connection), method_(method), path_(path) {}

  std::string_view method() const { return method_; }
  // Percent-decoded, without the query.
  std::string_view path() const { return path_; }
  // A header's value, or "" when it is missing.
  std::string header(const char *name) const;
  // A query argument, percent-decoded; "" when missing.
  std::string query(const char *name) const;
  // The caller's address, without its port.
  std::string remoteAddress() const;

private:
  MHD_Connection *connection_;
  std::string_view method_;
  std::string_view path_;
};

struct HttpLimits {
  // 414 beyond this request line, 431 beyond these header bytes or lines.
  std::size_t requestLineBytes = 8192;
  std::size_t headerBytes = 8192;
  std::size_t headerLines = 100;
  // No route reads a request body (the address lookup's POST carries none): 413 beyond this.
  std::uint64_t bodyBytes = 0;
  // A connection's request header must be complete this long after the connection opened or
  // its previous reply ended; otherwise the connection is closed. This is also how long a
  // kept-alive connection may wait idle for its next request.
  std::chrono::milliseconds headerTimeout{5000};
  // A reply that makes no progress this long (a listener that stopped reading) is dropped.
  unsigned stallSeconds = 30;
  // Connections held at once; more wait in the listen queue.
  unsigned connections = 4000;
  // Memory of one connection: its request header and the header of its reply.
  std::size_t connectionMemory = 32 * 1024;
};

class HttpServer {
public:
  using Handler = std::function<HttpReply(const HttpRequest &)>;
  using LogLine = std::function<void(const std::string &line)>;

  // accessLog: one line per request, "METHOD PATH STATUS BYTES MILLISECONDS" (none when
  // empty); errorLog: what went wrong inside a handler.
  HttpServer(Handler handler, int threads, HttpLimits limits, LogLine accessLog, LogLine errorLog);
  ~HttpServer();
  HttpServer(const HttpServer &) = delete;
  HttpServer &operator=(const HttpServer &) = delete;

  // Opens the listening socket; port 0 takes a free one. False when it cannot.
  bool bind(const std::string &host, int port);
  int port() const { return port_; }
  // Serves on the pool's threads from now on; returns at once. False when it cannot.
  bool start();
  // Closes every connection and the socket; waits for the pool's threads.
  void stop();

private:
  struct Exchange;
  struct Watch;
  class Watcher;
  struct Callbacks;

  // The reply to a request that breaks a limit, before its body is read.
  std::optional<HttpReply> refusal(MHD_Connection *connection, const Exchange &exchange,
                                   std::string_view method, std::string_view version) const;
  HttpReply route(const HttpRequest &request);
  void finish(Exchange &exchange);

  Handler handler_;
  int threads_;
  HttpLimits limits_;
  LogLine accessLog_;
  LogLine errorLog_;
  int listenFd_ = -1;
  int port_ = -1;
  MHD_Daemon *daemon_ = nullptr;
  std::unique_ptr<Watcher> watcher_;
};

// A client's text made safe for a log line: bytes outside printable ASCII, the backslash and
// (unless keepBlanks) the blank become \xHH, so no line can be split or forged.
std::string logSafe(std::string_view text, bool keepBlanks = false);

} // namespace lumiqo::server
