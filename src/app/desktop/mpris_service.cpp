#include "app/desktop/mpris_service.h"

#include "app/desktop/mpris_adaptors.h"

#include <QCoreApplication>
#include <QDBusMessage>

namespace lumiqo {

MprisService::MprisService(MprisHost &host, const QDBusConnection &bus)
    : host_(host), bus_(bus), state_(host.playState()), track_(host.track()), volume_(host.volume()) {
  new MprisRootAdaptor(&exported_, host_);
  new MprisPlayerAdaptor(&exported_, host_, [this] { refresh(); });
}

std::unique_ptr<MprisService> MprisService::start(MprisHost &host, const QDBusConnection &bus) {
  if (!bus.isConnected())
    return nullptr;
  std::unique_ptr<MprisService> service(new MprisService(host, bus));
  if (!service->bus_.registerObject(kMprisPath, &service->exported_, QDBusConnection::ExportAdaptors))
    return nullptr;
  const QString instanceName =
      kMprisServiceName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
  for (const QString &name : {kMprisServiceName, instanceName}) {
    if (service->bus_.registerService(name)) {
      service->serviceName_ = name;
      return service;
    }
  }
  service->bus_.unregisterObject(kMprisPath);
  return nullptr;
}

MprisService::~MprisService() {
  if (!serviceName_.isEmpty()) {
    bus_.unregisterService(serviceName_);
    bus_.unregisterObject(kMprisPath);
  }
}

void MprisService::refresh() {
  QVariantMap changed;
  const PlayState state = host_.playState();
  if (state != state_) {
    state_ = state;
    changed.insert(QStringLiteral("PlaybackStatus"), playbackStatusText(state));
  }
  const std::optional<MprisTrack> track = host_.track();
  if (track != track_) {
    track_ = track;
    changed.insert(QStringLiteral("Metadata"), metadataMap(track));
  }
  const double volume = host_.volume();
  if (volume != volume_) {
    volume_ = volume;
    changed.insert(QStringLiteral("Volume"), volume);
  }
  if (changed.isEmpty())
    return;
  QDBusMessage signal = QDBusMessage::createSignal(
      kMprisPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
  signal << kMprisPlayerInterface << changed << QStringList();
  bus_.send(signal);
}

} // namespace lumiqo
