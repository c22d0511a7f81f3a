#pragma once
// What catalogue loading and the favourites read and write besides the play list. The main
// window owns one for the whole run; the menus write the catalogue term, the playlist window
// the search text and its type, before they call LoadList.

#include "catalogue/random_sequence.h"

#include <QString>
#include <QtGlobal>

namespace lumiqo {

struct CatalogueState {
  QString page_name = QStringLiteral("01.asp"); // resolver page of the list now shown
  qint16 list_mode = 0;                         // 1 when the list came from the favourites file
  QString music_name;                           // the catalogue term (chart number or artist)
  QString s_music_name;                         // the search text
  qint16 search_type = 0;                       // 0 song title, 1 artist, 2 keyword
  qint16 fav_index = -1;                        // the selection captured by a favourites menu item
  RandomSequence random;                        // the invented display times
};

} // namespace lumiqo
