#include "app/resolve_host.h"

#include <QHostAddress>
#include <QHostInfo>

namespace lumiqo {

QString ResolveHost(const QString &host) {
  if (host.isEmpty())
    return {};
  const QHostInfo info = QHostInfo::fromName(host);
  if (info.error() != QHostInfo::NoError)
    return {};
  for (const QHostAddress &address : info.addresses()) {
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    if (ok)
      return QHostAddress(v4).toString();
  }
  return {};
}

} // namespace lumiqo
