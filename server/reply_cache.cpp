#include "reply_cache.h"

#include <chrono>

namespace lumiqo::server {

std::int64_t ReplyCache::catalogueVersion() {
  using namespace std::chrono;
  const std::int64_t now = duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
  if (now < nextCheck_.load())
    return lastVersion_.load();
  nextCheck_.store(now + duration_cast<nanoseconds>(kVersionCheck).count());
  const std::int64_t version = store_.version();
  lastVersion_.store(version);
  return version;
}

HttpReply ReplyCache::get(const std::string &key, const std::function<HttpReply()> &render) {
  const std::int64_t version = catalogueVersion();
  {
    std::lock_guard lock(mutex_);
    if (version != version_) {
      version_ = version;
      replies_.clear();
    }
    if (const auto it = replies_.find(key); it != replies_.end())
      return it->second;
  }
  // Rendered outside the lock. A reply rendered while an import committed is kept only
  // under the version seen before it was rendered, and that version is gone at the next
  // check, so no reply outlives the catalogue it came from by more than kVersionCheck.
  HttpReply reply = render();
  if (reply.status() == 200) {
    std::lock_guard lock(mutex_);
    if (version_ == version) {
      if (replies_.size() >= kMaxReplies)
        replies_.clear();
      replies_.insert_or_assign(key, reply);
    }
  }
  return reply;
}

} // namespace lumiqo::server
