#pragma once
// Replies that change only when an import changes the catalogue (the start list, the charts,
// link translations), rendered once and sent as they are until then.

#include "catalogue_store.h"
#include "http_server.h"

#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace lumiqo::server {

class ReplyCache {
public:
  // Replies held at most; beyond that the cache starts afresh.
  static constexpr std::size_t kMaxReplies = 4096;

  explicit ReplyCache(const CatalogueStore &store) : store_(store) {}

  // The reply kept under `key`, or the one `render` makes (kept when its status is 200).
  HttpReply get(const std::string &key, const std::function<HttpReply()> &render);

private:
  const CatalogueStore &store_;
  std::mutex mutex_;
  std::int64_t version_ = 0;
  std::unordered_map<std::string, HttpReply> replies_;
};

} // namespace lumiqo::server
