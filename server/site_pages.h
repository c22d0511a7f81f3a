#pragma once
// The maker's web site: a few pages about the player, and the catalogue for browsers (the
// start list, the eight charts and a search), where every song carries a link that hands it
// to the player. Pages are HTML in UTF-8 with one stylesheet of their own and no scripts.

#include "catalogue_store.h"
#include "http_server.h"
#include "reply_cache.h"

#include <QString>

#include <optional>

namespace lumiqo::server {

// Where the site's pages link to each other.
inline constexpr const char *kSongsPath = "/songs/";
inline constexpr const char *kSearchPath = "/songs/search/";
// "/songs/chart/N/" for chart N, 1 to 8.
QString chartPath(int number);

// The reply to a request for one of the site's pages, or nothing when the path is none of
// them. Requests whose Host is the forum's get the forum's page at "/". Lists are kept in
// `cache` until the catalogue changes.
std::optional<HttpReply> siteReply(const HttpRequest &request, const CatalogueStore &store, ReplyCache &cache,
                                   bool forumHost);

// A whole page: the site's header, its navigation (`current` marks the link of the page
// itself, "" none), `heading` as the title and the main part's HTML.
QString sitePage(const QString &heading, const QString &mainHtml, const QString &current = {});

// Escapes &, <, > and " for HTML text and attribute values in double quotes.
QString htmlEscape(const QString &text);

} // namespace lumiqo::server
