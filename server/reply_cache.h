#pragma once
// Replies that change only when an import changes the catalogue (the start list, the charts,
// link translations), rendered once and sent as they are until then.

#include "catalogue_store.h"
#include "http_server.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>

namespace lumiqo::server {

class ReplyCache {
public:
  // Replies held at most; beyond that the cache starts afresh.
  static constexpr std::size_t kMaxReplies = 4096;
  // How often the catalogue is asked whether an import has changed it: asking costs a read
  // transaction, as much as the rest of a cached reply, so not at every request.
  static constexpr std::chrono::milliseconds kVersionCheck{50};

  explicit ReplyCache(const CatalogueStore &store) : store_(store) {}

  // The reply kept under `key`, or the one `render` makes (kept when its status is 200).
  HttpReply get(const std::string &key, const std::function<HttpReply()> &render);

private:
  std::int64_t catalogueVersion();

  const CatalogueStore &store_;
  std::atomic<std::int64_t> nextCheck_{0};
  std::atomic<std::int64_t> lastVersion_{0};
  std::mutex mutex_;
  std::int64_t version_ = 0;
  std::unordered_map<std::string, HttpReply> replies_;
};

} // namespace lumiqo::server
