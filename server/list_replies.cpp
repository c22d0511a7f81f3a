#include "list_replies.h"

#include "base/gbk.h"

namespace lumiqo::server {

HttpReply listReply(const std::vector<ListRow> &rows) {
  std::string body;
  body.reserve(rows.size() * 48);
  for (const ListRow &row : rows) {
    body += row.title;
    body += ',';
    body += row.artist;
    body += ',';
    body += row.link;
    body += "\r\n";
  }
  const QByteArray gbk = toGbk(QString::fromStdString(body));
  return HttpReply::text(200, std::string_view(gbk.constData(), static_cast<size_t>(gbk.size())),
                         "text/plain; charset=GBK");
}

HttpReply ListReplies::reply(int number) {
  const std::int64_t version = store_.version();
  std::lock_guard lock(mutex_);
  if (version != version_) {
    version_ = version;
    replies_.fill(std::nullopt);
  }
  auto &slot = replies_.at(static_cast<size_t>(number));
  if (!slot)
    slot = listReply(store_.list(number));
  return *slot;
}

} // namespace lumiqo::server
