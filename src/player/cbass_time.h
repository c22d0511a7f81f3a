#pragma once
// Engine positions to seconds, and seconds to "mm:ss".

#include "player/engine/bass.h"

#include <QString>
#include <QtGlobal>

namespace lumiqo {

class cbass_time {
public:
  // Five characters: minutes within the hour (hours are dropped), ":", seconds, each two
  // digits. Negative values read as 0.
  QString GetTime(qint32 seconds) const;
  // Playing position and length of a stream in seconds; 0 when the engine has none.
  float GetPlayingPos(HSTREAM handle) const;
  float GetDuration(HSTREAM handle) const;
};

// A song's length as the play list shows it: "mm:ss", or "h:mm:ss" from an hour on.
QString lengthText(qint32 seconds);

} // namespace lumiqo
