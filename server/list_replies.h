#pragma once
// Catalogue lists as the player reads them: "title,artist,link" records ended by CR LF, in
// GBK. The start list and the eight charts are rendered once and sent as they are until an
// import changes the catalogue.

#include "catalogue_store.h"
#include "http_server.h"

#include <array>
#include <mutex>
#include <optional>
#include <vector>

namespace lumiqo::server {

HttpReply listReply(const std::vector<ListRow> &rows);

class ListReplies {
public:
  explicit ListReplies(const CatalogueStore &store) : store_(store) {}

  // 0: the start list; 1 to 8: the charts.
  HttpReply reply(int number);

private:
  const CatalogueStore &store_;
  std::mutex mutex_;
  std::int64_t version_ = 0;
  std::array<std::optional<HttpReply>, 9> replies_;
};

} // namespace lumiqo::server
