#pragma once
// The player on the session bus as org.mpris.MediaPlayer2.lumiqo, so the desktop's media
// controls and the keyboard's media keys reach it. `refresh` publishes what has changed
// (PropertiesChanged); the host calls it whenever its state, song or volume may have moved.

#include "app/desktop/mpris_host.h"

#include <QDBusConnection>
#include <QObject>
#include <memory>

namespace lumiqo {

inline const QString kMprisServiceName = QStringLiteral("org.mpris.MediaPlayer2.lumiqo");

class MprisService : public QObject {
  Q_OBJECT
public:
  // Registers the player on `bus`. Nothing (and not a word) when the bus is not there. When
  // another player holds the name, this one takes the name with ".instance<pid>" added.
  static std::unique_ptr<MprisService> start(MprisHost &host, const QDBusConnection &bus);
  ~MprisService() override;

  // The bus name this player holds.
  QString serviceName() const { return serviceName_; }

  // Sends PropertiesChanged for the playback state, metadata and volume that differ from
  // what was last published; nothing when all is as it was.
  void refresh();

private:
  MprisService(MprisHost &host, const QDBusConnection &bus);

  MprisHost &host_;
  QDBusConnection bus_;
  QString serviceName_;
  QObject exported_; // carries the two adaptors on /org/mpris/MediaPlayer2
  PlayState state_;
  std::optional<MprisTrack> track_;
  double volume_;
};

} // namespace lumiqo
