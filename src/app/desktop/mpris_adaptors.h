#pragma once
// The two MPRIS interfaces on /org/mpris/MediaPlayer2: org.mpris.MediaPlayer2 (the
// application) and org.mpris.MediaPlayer2.Player (playback). Qt D-Bus answers the
// properties from the Q_PROPERTY declarations; every method goes to the host, and then the
// service publishes what changed.

#include "app/desktop/mpris_host.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace lumiqo {

inline const QString kMprisPath = QStringLiteral("/org/mpris/MediaPlayer2");
inline const QString kMprisRootInterface = QStringLiteral("org.mpris.MediaPlayer2");
inline const QString kMprisPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString playbackStatusText(PlayState state);
// The Metadata map: mpris:trackid, xesam:title, xesam:artist, mpris:length (once known).
QVariantMap metadataMap(const std::optional<MprisTrack> &track);

class MprisRootAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
  Q_PROPERTY(bool CanQuit READ CanQuit)
  Q_PROPERTY(bool CanRaise READ CanRaise)
  Q_PROPERTY(bool HasTrackList READ HasTrackList)
  Q_PROPERTY(QString Identity READ Identity)
  Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
  Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
  Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
  MprisRootAdaptor(QObject *object, MprisHost &host);

  bool CanQuit() const { return true; }
  bool CanRaise() const { return true; }
  bool HasTrackList() const { return false; }
  QString Identity() const;
  QString DesktopEntry() const;
  QStringList SupportedUriSchemes() const;
  QStringList SupportedMimeTypes() const { return {}; }

public slots:
  void Raise();
  void Quit();

private:
  MprisHost &host_;
};

class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
  Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
  Q_PROPERTY(double Rate READ Rate WRITE setRate)
  Q_PROPERTY(double MinimumRate READ Rate)
  Q_PROPERTY(double MaximumRate READ Rate)
  Q_PROPERTY(QVariantMap Metadata READ Metadata)
  Q_PROPERTY(double Volume READ Volume WRITE setVolume)
  Q_PROPERTY(qlonglong Position READ Position)
  Q_PROPERTY(bool CanGoNext READ CanControl)
  Q_PROPERTY(bool CanGoPrevious READ CanControl)
  Q_PROPERTY(bool CanPlay READ CanControl)
  Q_PROPERTY(bool CanPause READ CanControl)
  Q_PROPERTY(bool CanSeek READ CanSeek)
  Q_PROPERTY(bool CanControl READ CanControl)
public:
  // `changed` runs after every method and property write, so the service can publish it.
  MprisPlayerAdaptor(QObject *object, MprisHost &host, std::function<void()> changed);

  QString PlaybackStatus() const;
  double Rate() const { return 1.0; }
  void setRate(double) {} // one rate only
  QVariantMap Metadata() const;
  double Volume() const;
  void setVolume(double volume);
  qlonglong Position() const;
  bool CanSeek() const { return false; }
  bool CanControl() const { return true; }

public slots:
  void Next();
  void Previous();
  void Pause();
  void PlayPause();
  void Stop();
  void Play();
  // The player cannot seek: these do nothing.
  void Seek(qlonglong offset);
  void SetPosition(const QDBusObjectPath &track, qlonglong position);
  void OpenUri(const QString &uri);

signals:
  void Seeked(qlonglong position);

private:
  template <typename F> void run(F action);

  MprisHost &host_;
  std::function<void()> changed_;
};

} // namespace lumiqo
