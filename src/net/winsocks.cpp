#include "net/winsocks.h"

#include "base/twips.h"

namespace lumiqo {

namespace {
constexpr int kSidePixels = twipsToPixels(Winsocks::kSizeTwips);
} // namespace

Winsocks::Winsocks(QWidget *parent) : QWidget(parent), cmSocket(std::make_unique<CSocketMaster>()) {
  setFixedSize(kSidePixels, kSidePixels);
  hide(); // nothing to show at run time
  CSocketMaster *s = cmSocket.get();
  connect(s, &CSocketMaster::CloseSckEvent, this, &Winsocks::CloseSckEvent);
  connect(s, &CSocketMaster::ConnectEvent, this, &Winsocks::ConnectEvent);
  connect(s, &CSocketMaster::ConnectionRequest, this, &Winsocks::ConnectionRequest);
  connect(s, &CSocketMaster::DataArrival, this, &Winsocks::DataArrival);
  // Direct, so that a handler's CancelDisplay reaches the socket object.
  connect(s, &CSocketMaster::Error, this, &Winsocks::Error, Qt::DirectConnection);
  connect(s, &CSocketMaster::SendComplete, this, &Winsocks::SendComplete);
  connect(s, &CSocketMaster::SendProgress, this, &Winsocks::SendProgress);
}

Winsocks::~Winsocks() = default;

void Winsocks::ReadProperties(const QVariantMap &PropBag) {
  setLocalPort(PropBag.value(QStringLiteral("LocalPort"), 0).toInt());
  setProtocol(PropBag.value(QStringLiteral("Protocol"), 0).toInt());
  setRemoteHost(PropBag.value(QStringLiteral("RemoteHost"), QString()).toString());
  setRemotePort(PropBag.value(QStringLiteral("RemotePort"), 0).toInt());
  setTag(PropBag.value(QStringLiteral("Tag"), QString()).toString());
}

void Winsocks::WriteProperties(QVariantMap &PropBag) const {
  auto write = [&PropBag](const char *key, const QVariant &value, const QVariant &fallback) {
    if (value != fallback)
      PropBag.insert(QLatin1String(key), value);
    else
      PropBag.remove(QLatin1String(key));
  };
  write("LocalPort", LocalPort(), 0);
  write("Protocol", Protocol(), 0);
  write("RemoteHost", RemoteHost(), QString());
  write("RemotePort", RemotePort(), 0);
  write("Tag", Tag(), QString());
}

} // namespace lumiqo
