#pragma once
// What the desktop's media controls (MPRIS) ask of the player and tell it to do. The player
// implements this; the MPRIS service calls it on the user-interface thread only.

#include <QString>
#include <QtGlobal>
#include <optional>

namespace lumiqo {

enum class PlayState { Playing, Paused, Stopped };

// The song the player has started last.
struct MprisTrack {
  quint64 serial = 0; // counts the songs started, so every start is a new track
  QString title;
  QString artist;
  qint64 lengthMicros = 0; // 0 until the stream's length is known
  bool operator==(const MprisTrack &) const = default;
};

class MprisHost {
public:
  virtual ~MprisHost() = default;

  // What the transport buttons run.
  virtual void play() = 0;
  virtual void pause() = 0;
  virtual void stop() = 0;
  virtual void next() = 0;
  virtual void previous() = 0;
  // Brings the player back from the tray and to the front.
  virtual void raise() = 0;
  // Closes the player as its close button does.
  virtual void quit() = 0;
  // A link handed to the player as if it had come from a second start.
  virtual void openLink(const QString &link) = 0;
  // 0.0 to 1.0.
  virtual double volume() const = 0;
  virtual void setVolume(double volume) = 0;

  virtual PlayState playState() const = 0;
  virtual std::optional<MprisTrack> track() const = 0;
  virtual qint64 positionMicros() const = 0;
};

} // namespace lumiqo
