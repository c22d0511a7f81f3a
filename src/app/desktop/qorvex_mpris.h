#pragma once
// The main window `qorvex` on the desktop's media controls: it answers the MPRIS service
// from the window's player core and play list, and runs the transport buttons' handlers.

#include "app/desktop/mpris_host.h"
#include "app/desktop/mpris_service.h"

#include <QDBusConnection>
#include <QObject>
#include <memory>

namespace lumiqo {

class qorvex;

class QorvexMpris : public QObject, public MprisHost {
  Q_OBJECT
public:
  // Puts the window on the bus. The object is a child of the window; nothing is made (and
  // nothing said) when there is no bus.
  static QorvexMpris *attach(qorvex &window, const QDBusConnection &bus = QDBusConnection::sessionBus());

  MprisService &service() { return *service_; }

  void play() override;
  void pause() override;
  void stop() override;
  void next() override;
  void previous() override;
  void raise() override;
  void quit() override;
  void openLink(const QString &link) override;
  double volume() const override;
  void setVolume(double volume) override;
  PlayState playState() const override;
  std::optional<MprisTrack> track() const override;
  qint64 positionMicros() const override;

private:
  explicit QorvexMpris(qorvex &window);
  void stateTextChanged(const QString &text);

  qorvex &window_;
  std::unique_ptr<MprisService> service_;
  std::optional<MprisTrack> track_; // the song last opened, without its length
};

} // namespace lumiqo
