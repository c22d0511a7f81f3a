#include "player/cbass_time.h"

#include <algorithm>

namespace lumiqo {
namespace {
// The engine answers "no position" with all bits set; a length or position is otherwise
// carried whole (not cut to 32 bits), so long streams keep counting up.
float bytesToSeconds(HSTREAM handle, QWORD bytes) {
  if (bytes == static_cast<QWORD>(-1))
    return 0.0f;
  return static_cast<float>(BASS_ChannelBytes2Seconds(handle, bytes));
}
} // namespace

QString cbass_time::GetTime(qint32 seconds) const {
  if (seconds < 0)
    seconds = 0;
  const int minutes = (seconds / 60) % 60;
  const int secs = seconds % 60;
  return QStringLiteral("%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(secs, 2, 10, QLatin1Char('0'));
}

QString lengthText(qint32 seconds) {
  seconds = std::max(seconds, 0);
  const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                                        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
  return seconds < 3600 ? minutesAndSeconds
                        : QString::number(seconds / 3600) + QLatin1Char(':') + minutesAndSeconds;
}

float cbass_time::GetPlayingPos(HSTREAM handle) const {
  return bytesToSeconds(handle, BASS_ChannelGetPosition(handle, BASS_POS_BYTE));
}

float cbass_time::GetDuration(HSTREAM handle) const {
  return bytesToSeconds(handle, BASS_ChannelGetLength(handle, BASS_POS_BYTE));
}

} // namespace lumiqo
