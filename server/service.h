#pragma once
// The HTTP side of lumiqo-server: every remote role of the player on one address, told
// apart by path. Catalogue lists and translations, the authorisation host, the stream
// hosts, the lyrics search and the maker's pages. Every text goes out in GBK.

#include "catalogue_store.h"
#include "stream_token.h"

#include <functional>
#include <memory>
#include <string>

namespace httplib {
class Server;
}

namespace lumiqo::server {

struct ServiceOptions {
  // "host" or "host:port" of the maker's site: its line stands in for missing lyrics.
  std::string siteAddress = "127.0.0.1:8764";
  // Requests whose Host is this address get the forum's home page at "/" (the forum
  // is also at "/bbs/").
  std::string forumAddress;
  // The key of the stream pins; empty draws a random one.
  std::string secret;
  std::int64_t tokenLifetimeSeconds = 6 * 3600;
  int threads = 16;
  // One line per request; none when empty.
  std::function<void(const std::string &line)> accessLog;
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
  void routes();

  const CatalogueStore &store_;
  ServiceOptions options_;
  StreamToken token_;
  std::unique_ptr<httplib::Server> http_;
};

} // namespace lumiqo::server
