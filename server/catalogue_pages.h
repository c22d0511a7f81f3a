#pragma once
// The catalogue on the maker's site: song lists page by page and the search, each song with
// a play link that a browser hands to the player through the qorvex:// protocol.

#include "catalogue_store.h"

#include <QString>

#include <string>
#include <vector>

namespace lumiqo::server {

inline constexpr int kSongsPerPage = 50;

// The text of a play link: "在 Lumiqo 中播放".
QString playLinkText();

// "qorvex://zembrol=" T "_" A "_" L "/": the title and the artist in the catalogue's hex text
// encoding and the song's catalogue link, the form the player takes from its command line.
// Empty when the song cannot be handed over intact: the player cuts "/" and splits at "_",
// so a link must be letters and digits only; and it ignores command texts beyond 16 KiB.
QString playLink(const ListRow &row);

// A page number from a query ("" or anything but digits: 1); brought into range later.
int pageNumber(const std::string &text);

// The main part of a list page: the rows of page `page` (brought into 1 .. the last page)
// in a table, and links to the other pages.
QString songListHtml(const std::vector<ListRow> &rows, int page);

// A search as the site's form sends it: the term (UTF-8), the field ("0" title, "1" artist,
// "2" keyword; "" is the title) and the page.
struct SiteSearch {
  QString term;
  SearchField field = SearchField::Title;
  int page = 1;
  // Why the search cannot run ("" when it can); a term too short is no error, only no search.
  QString error;
  bool runs() const { return error.isEmpty() && term.size() >= 2; }
};
SiteSearch parseSiteSearch(const std::string &term, const std::string &field, const std::string &page);

// The main part of the search page: the form, filled with the search, then its results when
// it ran (`results` null when it did not).
QString searchHtml(const SiteSearch &search, const std::vector<ListRow> *results);

} // namespace lumiqo::server
