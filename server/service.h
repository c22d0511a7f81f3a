#pragma once
// The HTTP side of lumiqo-server: every remote role of the player on one address, told
// apart by path. Catalogue lists and translations, the authorisation host, the stream
// hosts, the lyrics search and the maker's site. Every text the player reads goes out in
// GBK; the site's pages, made for browsers, in UTF-8.

#include "catalogue_store.h"
#include "http_server.h"
#include "reply_cache.h"
#include "stream_token.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>

namespace lumiqo::server {

struct ServiceOptions {
  // "host" or "host:port" of the maker's site: its line stands in for missing lyrics.
  std::string siteAddress = "127.0.0.1:8764";
  // Requests whose Host is this address get the forum's home page at "/" (the forum
  // is also at "/bbs/").
  std::string forumAddress;
  // The domain of the authorisation cookies: the address the server answers on, as
  // configured; never what a request's Host header says.
  std::string cookieDomain = "127.0.0.1";
  // The key of the stream pins; empty draws a random one.
  std::string secret;
  std::int64_t tokenLifetimeSeconds = 6 * 3600;
  // Request threads; connections are not bound to them.
  int threads = 4;
  HttpLimits limits;
  // One line per request; none when empty.
  std::function<void(const std::string &line)> accessLog;
  // What went wrong inside the server (the client gets a plain 500); none when empty.
  std::function<void(const std::string &line)> errorLog;
};

class Service {
public:
  Service(const CatalogueStore &store, ServiceOptions options);
  ~Service();
  Service(const Service &) = delete;
  Service &operator=(const Service &) = delete;

  bool bind(const std::string &host, int port);
  // Binds a free port; returns it, or -1.
  int bindToAnyPort(const std::string &host);
  // Serves until stop(); false when it could not.
  bool listen();
  void stop();
  bool isRunning() const;

  const StreamToken &token() const { return token_; }
  // The lyrics text of a song without lyrics: "[00:00.00]" and the site address.
  std::string siteLine() const;

private:
  HttpReply answer(const HttpRequest &request);
  HttpReply search(const HttpRequest &request) const;
  HttpReply translate(const HttpRequest &request) const;
  HttpReply authorise(const HttpRequest &request) const;
  HttpReply stream(const HttpRequest &request, std::string_view streamPath) const;
  HttpReply lyricsSearch(const HttpRequest &request) const;
  HttpReply lyricsDownload(const HttpRequest &request) const;

  const CatalogueStore &store_;
  ServiceOptions options_;
  StreamToken token_;
  ReplyCache cache_;
  HttpServer http_;
  mutable std::mutex mutex_;
  std::condition_variable stopRequested_;
  bool running_ = false;
  bool stopping_ = false;
};

} // namespace lumiqo::server
