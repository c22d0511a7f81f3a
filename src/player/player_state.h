#pragma once
// The player state that the main window and its helpers share for the whole run. All of it
// belongs to the user-interface thread. The catalogue's part of it (`page_name`, `list_mode`)
// is kept with the catalogue state the main window holds.

#include "player/cbass_time.h"
#include "player/engine/bass.h"

#include <QString>
#include <QtGlobal>
#include <memory>

namespace lumiqo {

struct PlayerState {
  HSTREAM cur_stream = 0;               // the engine's current stream; 0 = none
  QString cur_song;                     // link of the row to be resolved next; empty = nothing
  qint16 lrc_shown = 1;                 // lyrics window shown
  qint16 list_shown = 1;                // playlist window shown
  qint16 list_mode = 0;                 // 0 catalogue list, 1 favourites
  QString lrc_text;                     // lyrics of the current song
  QString sock_reply;                   // reply collected from the authorisation socket
  QString pos_text;                     // playing position in whole seconds, as text
  qint32 song_secs = 0;                 // stream length in whole seconds
  double drag_x = 0;                    // twips: where a knob drag was pressed, relative to the knob
  std::unique_ptr<cbass_time> time_fmt; // created by start-up
};

} // namespace lumiqo
