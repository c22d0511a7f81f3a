#include "reply_cache.h"

namespace lumiqo::server {

HttpReply ReplyCache::get(const std::string &key, const std::function<HttpReply()> &render) {
  const std::int64_t version = store_.version();
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
  // request, so no reply outlives the catalogue it came from.
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
