#pragma once
// Catalogue loading: a list code becomes a source (a catalogue page or the favourites file),
// its text is read, and the play list is refilled with one row per record.

#include "catalogue/catalogue_state.h"
#include "catalogue/web_request.h"

#include <QString>

namespace lumiqo {

class QMListBox;

// The favourites file: the data folder + "inc/mymusiclist.dat".
QString FavouritesFilePath();

// The address (or, for "MyMusicList", the file) a list code reads; empty when the code gives
// no source. Sets state.page_name as loading does.
QString ListSource(const QString &code, CatalogueState &state);

// Codes: "M0", "SOM" (chart state.music_name), "SO" (artist state.music_name), "SOSO"
// (state.s_music_name with state.search_type), "MyMusicList". Any other code, and an empty
// term or search text, empties the list. The old rows stay until the text has been read;
// a failed fetch leaves the list empty without a message.
void LoadList(const QString &code, QMListBox &m_list, CatalogueState &state,
              const FetchTimeouts &timeouts = {});

// The favourites file's text with every line ended by CR LF; empty when it cannot be read.
QString ReadFavouritesText();

// An invented display time "mm:ss" (00:00 .. 09:59) from the next two values of the sequence.
QString InventedTime(RandomSequence &random);

} // namespace lumiqo
