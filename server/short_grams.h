#pragma once
// The index for search terms of one or two characters, which the trigram index cannot hold:
// every distinct one- and two-character piece of a song's title, artist, album and lyrics,
// in lower case, with the field it came from.

#include <QString>

#include <set>
#include <string>

namespace lumiqo::server {

enum GramField { kGramTitle = 0, kGramArtist = 1, kGramAlbum = 2, kGramLyrics = 3 };

// The distinct one- and two-character pieces of a text (UTF-8, lower case). Pieces made of
// white space only are left out.
std::set<std::string> shortGrams(const QString &text);

// A search term as the index holds it.
inline QString foldTerm(const QString &term) {
  return term.toLower();
}

} // namespace lumiqo::server
