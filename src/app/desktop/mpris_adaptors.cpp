#include "app/desktop/mpris_adaptors.h"

#include <QDBusObjectPath>
#include <cmath>

namespace lumiqo {

QString playbackStatusText(PlayState state) {
  switch (state) {
  case PlayState::Playing: return QStringLiteral("Playing");
  case PlayState::Paused: return QStringLiteral("Paused");
  case PlayState::Stopped: break;
  }
  return QStringLiteral("Stopped");
}

QVariantMap metadataMap(const std::optional<MprisTrack> &track) {
  QVariantMap map;
  if (!track) {
    map.insert(
        QStringLiteral("mpris:trackid"),
        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
    return map;
  }
  map.insert(QStringLiteral("mpris:trackid"),
             QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/lumiqo/track/%1").arg(track->serial))));
  map.insert(QStringLiteral("xesam:title"), track->title);
  map.insert(QStringLiteral("xesam:artist"), QStringList{track->artist});
  if (track->lengthMicros > 0)
    map.insert(QStringLiteral("mpris:length"),
               QVariant::fromValue(static_cast<qlonglong>(track->lengthMicros)));
  return map;
}

// --- org.mpris.MediaPlayer2 ----------------------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(QObject *object, MprisHost &host)
    : QDBusAbstractAdaptor(object), host_(host) {}

QString MprisRootAdaptor::Identity() const {
  return QStringLiteral("Lumiqo");
}

QString MprisRootAdaptor::DesktopEntry() const {
  return QStringLiteral("lumiqo");
}

QStringList MprisRootAdaptor::SupportedUriSchemes() const {
  return {QStringLiteral("qorvex")};
}

void MprisRootAdaptor::Raise() {
  host_.raise();
}

void MprisRootAdaptor::Quit() {
  host_.quit();
}

// --- org.mpris.MediaPlayer2.Player ---------------------------------------------------------

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject *object, MprisHost &host, std::function<void()> changed)
    : QDBusAbstractAdaptor(object), host_(host), changed_(std::move(changed)) {}

template <typename F> void MprisPlayerAdaptor::run(F action) {
  action();
  changed_();
}

QString MprisPlayerAdaptor::PlaybackStatus() const {
  return playbackStatusText(host_.playState());
}

QVariantMap MprisPlayerAdaptor::Metadata() const {
  return metadataMap(host_.track());
}

double MprisPlayerAdaptor::Volume() const {
  return host_.volume();
}

void MprisPlayerAdaptor::setVolume(double volume) {
  if (std::isnan(volume))
    return;
  run([&] { host_.setVolume(qBound(0.0, volume, 1.0)); });
}

qlonglong MprisPlayerAdaptor::Position() const {
  return host_.positionMicros();
}

void MprisPlayerAdaptor::Next() {
  run([&] { host_.next(); });
}

void MprisPlayerAdaptor::Previous() {
  run([&] { host_.previous(); });
}

void MprisPlayerAdaptor::Pause() {
  run([&] { host_.pause(); });
}

// The play and pause buttons share one place: the one on show is the one that runs.
void MprisPlayerAdaptor::PlayPause() {
  run([&] {
    if (host_.playState() == PlayState::Playing)
      host_.pause();
    else
      host_.play();
  });
}

void MprisPlayerAdaptor::Stop() {
  run([&] { host_.stop(); });
}

void MprisPlayerAdaptor::Play() {
  run([&] { host_.play(); });
}

void MprisPlayerAdaptor::Seek(qlonglong) {}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString &uri) {
  run([&] { host_.openLink(uri); });
}

} // namespace lumiqo
