#include "http_server.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <strings.h>
#include <thread>
#include <unordered_map>

namespace lumiqo::server {
namespace {

using Clock = std::chrono::steady_clock;

// The longest piece of a client's path an access-log line repeats.
constexpr std::size_t kLoggedPathBytes = 1024;

std::int64_t nowTicks() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

HttpReply plain(int status, const char *text) {
  return HttpReply::text(status, text, "text/plain; charset=utf-8");
}

// What the header block holds, as far as the framing rules care.
struct HeaderFacts {
  std::size_t lines = 0;
  std::size_t bytes = 0;
  int hosts = 0;
  int lengths = 0;
  std::string firstLength;
  bool lengthsDiffer = false;
  bool badName = false; // white space in a field name, as before its colon
};

MHD_Result noteHeader(void *cls, MHD_ValueKind, const char *key, const char *value) {
  auto &facts = *static_cast<HeaderFacts *>(cls);
  ++facts.lines;
  facts.bytes += std::strlen(key) + 4 + (value ? std::strlen(value) : 0); // "key: value\r\n"
  facts.badName |= std::strpbrk(key, " \t") != nullptr;
  if (strcasecmp(key, MHD_HTTP_HEADER_HOST) == 0)
    ++facts.hosts;
  if (strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH) == 0) {
    const std::string length = value ? value : "";
    if (facts.lengths++ == 0)
      facts.firstLength = length;
    else
      facts.lengthsDiffer |= length != facts.firstLength;
  }
  return MHD_YES;
}

} // namespace

std::string logSafe(std::string_view text, bool keepBlanks) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte > 0x20 || (keepBlanks && byte == 0x20)) && byte < 0x7f && byte != '\\') {
      out += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  return out;
}

// ---- Replies and requests

HttpReply::HttpReply(int status, MHD_Response *response, std::uint64_t bytes)
    : status_(status), response_(response, &MHD_destroy_response), bytes_(bytes) {}

HttpReply HttpReply::text(int status, std::string_view body, const char *contentType) {
  MHD_Response *response = MHD_create_response_from_buffer(
      body.size(), const_cast<char *>(body.empty() ? "" : body.data()), MHD_RESPMEM_MUST_COPY);
  if (!response)
    throw std::bad_alloc();
  HttpReply reply(status, response, body.size());
  reply.header(MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
  return reply;
}

HttpReply HttpReply::file(int status, int fd, std::uint64_t offset, std::uint64_t length,
                          const char *contentType) {
  MHD_Response *response = MHD_create_response_from_fd_at_offset64(length, fd, offset);
  if (!response) {
    ::close(fd);
    return plain(MHD_HTTP_INTERNAL_SERVER_ERROR, "internal error\n");
  }
  HttpReply reply(status, response, length);
  reply.header(MHD_HTTP_HEADER_CONTENT_TYPE, contentType);
  return reply;
}

HttpReply &HttpReply::header(const char *name, const std::string &value) {
  MHD_add_response_header(response_.get(), name, value.c_str());
  return *this;
}

std::string HttpRequest::header(const char *name) const {
  const char *value = MHD_lookup_connection_value(connection_, MHD_HEADER_KIND, name);
  return value ? value : "";
}

std::string HttpRequest::query(const char *name) const {
  const char *value = MHD_lookup_connection_value(connection_, MHD_GET_ARGUMENT_KIND, name);
  return value ? value : "";
}

std::string HttpRequest::remoteAddress() const {
  const MHD_ConnectionInfo *info = MHD_get_connection_info(connection_, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (!info || !info->client_addr)
    return {};
  char text[INET6_ADDRSTRLEN] = {};
  const sockaddr *addr = info->client_addr;
  if (addr->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in *>(addr)->sin_addr, text, sizeof text);
  else if (addr->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6 *>(addr)->sin6_addr, text, sizeof text);
  return text;
}

// ---- Per-request and per-connection state

// One request, from its arrival (its request line read) until its reply has gone out.
struct HttpServer::Exchange {
  Clock::time_point arrival = Clock::now();
  std::size_t targetBytes = 0;
  std::string method = "-";
  std::string path; // the raw target's path until a handler sees the request
  int status = 0;   // 0: the HTTP library answered by itself (a malformed request)
  std::uint64_t bytes = 0;
  bool headerRead = false;
  bool answered = false;
};

// A connection's header deadline, in steady-clock nanoseconds; 0 while a request is answered.
struct HttpServer::Watch {
  explicit Watch(int socket) : fd(socket) {}
  const int fd;
  std::atomic<std::int64_t> deadline{0};
};

// Closes the connections whose request header is overdue. The library bounds only the time
// without progress, so a client sending a byte now and then would otherwise hold its
// connection for ever. Sleeps while there is no connection.
class HttpServer::Watcher {
public:
  explicit Watcher(std::chrono::milliseconds timeout)
      : timeout_(std::chrono::duration_cast<std::chrono::nanoseconds>(timeout).count()),
        period_(std::clamp(timeout / 4, std::chrono::milliseconds(20), std::chrono::milliseconds(500))),
        thread_([this] { run(); }) {}

  ~Watcher() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  Watch *add(int fd) {
    auto watch = std::make_unique<Watch>(fd);
    Watch *raw = watch.get();
    arm(*raw);
    bool first = false;
    {
      std::lock_guard lock(mutex_);
      first = watches_.empty();
      watches_.emplace(raw, std::move(watch));
    }
    if (first)
      wake_.notify_one();
    return raw;
  }

  // The library closes the descriptor only after this, so the sweep never touches a
  // descriptor that has been reused.
  void remove(Watch *watch) {
    std::lock_guard lock(mutex_);
    watches_.erase(watch);
  }

  void arm(Watch &watch) const { watch.deadline = nowTicks() + timeout_; }
  static void disarm(Watch &watch) { watch.deadline = 0; }

private:
  void run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      if (watches_.empty()) {
        wake_.wait(lock, [this] { return stopping_ || !watches_.empty(); });
        continue;
      }
      wake_.wait_for(lock, period_, [this] { return stopping_; });
      const std::int64_t now = nowTicks();
      for (auto &[raw, watch] : watches_) {
        std::int64_t deadline = watch->deadline;
        if (deadline != 0 && deadline <= now && watch->deadline.compare_exchange_strong(deadline, 0))
          ::shutdown(watch->fd, SHUT_RDWR); // the library sees the end and closes it
      }
    }
  }

  const std::int64_t timeout_;
  const std::chrono::milliseconds period_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::unordered_map<Watch *, std::unique_ptr<Watch>> watches_;
  std::thread thread_;
};

// ---- The library's callbacks

struct HttpServer::Callbacks {
  // The request line has been read: the request's clock starts.
  static void *arrived(void *, const char *target, MHD_Connection *) {
    auto *exchange = new Exchange;
    const std::string_view raw(target ? target : "");
    exchange->targetBytes = raw.size();
    exchange->path = raw.substr(0, std::min(raw.find('?'), kLoggedPathBytes));
    return exchange;
  }

  static MHD_Result access(void *cls, MHD_Connection *connection, const char *url, const char *method,
                           const char *version, const char *, size_t *uploadSize, void **context) {
    auto &server = *static_cast<HttpServer *>(cls);
    if (!*context)
      *context = arrived(cls, url, connection);
    auto &exchange = *static_cast<Exchange *>(*context);
    if (exchange.answered || *uploadSize != 0) {
      *uploadSize = 0; // a body nobody reads: after an early reply the library closes the connection
      return MHD_YES;
    }
    // The first call has the header; the second comes once the request is complete. A reply
    // queued before that leaves the connection to be closed, so only refusals go out early.
    if (!exchange.headerRead) {
      exchange.headerRead = true;
      exchange.method = method;
      exchange.path = std::string_view(url).substr(0, kLoggedPathBytes);
      if (Watch *watch = watchOf(connection))
        Watcher::disarm(*watch);
      if (auto refusal = server.refusal(connection, exchange, method, version))
        return send(connection, exchange, *refusal);
      return MHD_YES;
    }
    return send(connection, exchange, server.route(HttpRequest(connection, method, url)));
  }

  static MHD_Result send(MHD_Connection *connection, Exchange &exchange, const HttpReply &reply) {
    exchange.answered = true;
    exchange.status = reply.status();
    exchange.bytes = reply.bytes();
    return MHD_queue_response(connection, static_cast<unsigned>(reply.status()), reply.response());
  }

  static void completed(void *cls, MHD_Connection *connection, void **context, MHD_RequestTerminationCode) {
    auto &server = *static_cast<HttpServer *>(cls);
    std::unique_ptr<Exchange> exchange(static_cast<Exchange *>(*context));
    *context = nullptr;
    if (exchange)
      server.finish(*exchange);
    if (Watch *watch = watchOf(connection); watch && server.watcher_)
      server.watcher_->arm(*watch); // the next request on a kept-alive connection
  }

  static void connection(void *cls, MHD_Connection *connection, void **socketContext,
                         MHD_ConnectionNotificationCode code) {
    auto &server = *static_cast<HttpServer *>(cls);
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
      const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
      *socketContext = info ? server.watcher_->add(info->connect_fd) : nullptr;
    } else if (*socketContext) {
      server.watcher_->remove(static_cast<Watch *>(*socketContext));
      *socketContext = nullptr;
    }
  }

  static Watch *watchOf(MHD_Connection *connection) {
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_SOCKET_CONTEXT);
    return info ? static_cast<Watch *>(info->socket_context) : nullptr;
  }
};

// ---- The server

HttpServer::HttpServer(Handler handler, int threads, HttpLimits limits, LogLine accessLog, LogLine errorLog)
    : handler_(std::move(handler)), threads_(std::max(1, threads)), limits_(limits),
      accessLog_(std::move(accessLog)), errorLog_(std::move(errorLog)) {}

HttpServer::~HttpServer() {
  stop();
  if (listenFd_ >= 0)
    ::close(listenFd_);
}

bool HttpServer::bind(const std::string &host, int port) {
  if (listenFd_ >= 0 || daemon_)
    return false;
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo *found = nullptr;
  if (getaddrinfo(host.empty() ? nullptr : host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0)
    return false;
  for (const addrinfo *ai = found; ai && listenFd_ < 0; ai = ai->ai_next) {
    const int fd = ::socket(ai->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
      continue;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, ai->ai_addr, ai->ai_addrlen) == 0 && ::listen(fd, SOMAXCONN) == 0)
      listenFd_ = fd;
    else
      ::close(fd);
  }
  freeaddrinfo(found);
  if (listenFd_ < 0)
    return false;
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&bound), &length);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6 &>(bound).sin6_port
                                            : reinterpret_cast<sockaddr_in &>(bound).sin_port);
  return true;
}

bool HttpServer::start() {
  if (listenFd_ < 0 || daemon_)
    return false;
  // Leave descriptors for the files being streamed and the catalogue.
  unsigned connections = limits_.connections;
  rlimit files{};
  if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY)
    connections = static_cast<unsigned>(std::clamp<rlim_t>(files.rlim_cur / 2, 16, connections));
  watcher_ = std::make_unique<Watcher>(limits_.headerTimeout);
  daemon_ = MHD_start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_TURBO, 0, nullptr, nullptr, &Callbacks::access, this,
      MHD_OPTION_LISTEN_SOCKET, listenFd_, MHD_OPTION_THREAD_POOL_SIZE, static_cast<unsigned>(threads_),
      MHD_OPTION_CONNECTION_LIMIT, connections, MHD_OPTION_CONNECTION_TIMEOUT, limits_.stallSeconds,
      MHD_OPTION_CONNECTION_MEMORY_LIMIT, limits_.connectionMemory, MHD_OPTION_STRICT_FOR_CLIENT, 1,
      MHD_OPTION_URI_LOG_CALLBACK, &Callbacks::arrived, this, MHD_OPTION_NOTIFY_COMPLETED,
      &Callbacks::completed, this, MHD_OPTION_NOTIFY_CONNECTION, &Callbacks::connection, this,
      MHD_OPTION_END);
  if (!daemon_) {
    watcher_.reset();
    return false;
  }
  listenFd_ = -1; // the daemon closes it
  return true;
}

void HttpServer::stop() {
  if (daemon_) {
    MHD_stop_daemon(daemon_);
    daemon_ = nullptr;
  }
  watcher_.reset();
}

std::optional<HttpReply> HttpServer::refusal(MHD_Connection *connection, const Exchange &exchange,
                                             std::string_view method, std::string_view version) const {
  if (method.size() + exchange.targetBytes + version.size() + 2 > limits_.requestLineBytes)
    return plain(MHD_HTTP_URI_TOO_LONG, "request line too long\n");
  HeaderFacts headers;
  MHD_get_connection_values(connection, MHD_HEADER_KIND, &noteHeader, &headers);
  if (headers.lines > limits_.headerLines || headers.bytes > limits_.headerBytes)
    return plain(MHD_HTTP_REQUEST_HEADER_FIELDS_TOO_LARGE, "request header too large\n");
  // The framing rules: a request that two parties could read differently is refused, so that
  // nothing can be smuggled past a proxy in front (the library itself refuses an HTTP/1.1
  // request without Host).
  if (headers.badName)
    return plain(MHD_HTTP_BAD_REQUEST, "white space in a header name\n");
  if (headers.hosts > 1)
    return plain(MHD_HTTP_BAD_REQUEST, "more than one Host\n");
  if (headers.lengthsDiffer)
    return plain(MHD_HTTP_BAD_REQUEST, "conflicting Content-Length\n");
  const HttpRequest request(connection, method, {});
  const std::string length = request.header(MHD_HTTP_HEADER_CONTENT_LENGTH);
  std::uint64_t declared = 0;
  if (!length.empty() && std::from_chars(length.data(), length.data() + length.size(), declared).ptr !=
                             length.data() + length.size())
    return plain(MHD_HTTP_BAD_REQUEST, "bad Content-Length\n");
  const bool chunked = !request.header(MHD_HTTP_HEADER_TRANSFER_ENCODING).empty();
  if (declared > limits_.bodyBytes || (chunked && limits_.bodyBytes == 0))
    return plain(MHD_HTTP_CONTENT_TOO_LARGE, "request body too large\n");
  return std::nullopt;
}

HttpReply HttpServer::route(const HttpRequest &request) {
  std::string what;
  try {
    return handler_(request);
  } catch (const std::exception &e) {
    what = e.what();
  } catch (...) {
    what = "unknown exception";
  }
  // The reason stays in the server's log; the client learns nothing of its insides.
  if (errorLog_)
    errorLog_("error: " + logSafe(request.method()) + " " +
              logSafe(request.path().substr(0, kLoggedPathBytes)) + ": " + logSafe(what, true));
  return plain(MHD_HTTP_INTERNAL_SERVER_ERROR, "internal error\n");
}

void HttpServer::finish(Exchange &exchange) {
  if (!accessLog_)
    return;
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - exchange.arrival).count();
  const std::string status = exchange.status ? std::to_string(exchange.status) : "-";
  char figures[64];
  std::snprintf(figures, sizeof figures, " %llu %.2f", static_cast<unsigned long long>(exchange.bytes), ms);
  accessLog_(logSafe(exchange.method) + " " + logSafe(exchange.path) + " " + status + figures);
}

} // namespace lumiqo::server
