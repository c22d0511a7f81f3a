#include "base/endpoints.h"

#include <QByteArray>
#include <cstdlib>

namespace lumiqo {

QString Endpoint::authority() const {
  return port == 80 ? host : host + QLatin1Char(':') + QString::number(port);
}

QString Endpoint::httpBase() const {
  return QStringLiteral("http://") + authority();
}

bool parseEndpoint(const QString &text, Endpoint &out) {
  const QString t = text.trimmed();
  if (t.isEmpty())
    return false;
  const qsizetype colon = t.lastIndexOf(QLatin1Char(':'));
  if (colon < 0) {
    out = Endpoint{t, 80};
    return true;
  }
  bool ok = false;
  const uint port = t.mid(colon + 1).toUInt(&ok);
  if (!ok || port == 0 || port > 65535 || colon == 0)
    return false;
  out = Endpoint{t.left(colon), static_cast<std::uint16_t>(port)};
  return true;
}

namespace {

const char *variableOf(Role role) {
  switch (role) {
  case Role::Catalogue: return "LUMIQO_CATALOGUE_HOST";
  case Role::Auth: return "LUMIQO_AUTH_HOST";
  case Role::StreamW: return "LUMIQO_STREAM_HOST_W";
  case Role::StreamO: return "LUMIQO_STREAM_HOST_O";
  case Role::Lyrics: return "LUMIQO_LYRICS_HOST";
  case Role::Site: return "LUMIQO_SITE_HOST";
  case Role::Forum: return "LUMIQO_FORUM_HOST";
  }
  return "LUMIQO_SERVER";
}

bool fromVariable(const char *name, Endpoint &out) {
  const char *value = std::getenv(name);
  return value && parseEndpoint(QString::fromLocal8Bit(value), out);
}

} // namespace

Endpoint endpoint(Role role) {
  Endpoint e;
  if (fromVariable(variableOf(role), e) || fromVariable("LUMIQO_SERVER", e))
    return e;
  return Endpoint{QString::fromLatin1(kDefaultServerHost), kDefaultServerPort};
}

QString siteAddress(const QString &path) {
  return endpoint(Role::Site).httpBase() + path;
}

QString forumAddress() {
  return endpoint(Role::Forum).httpBase() + QStringLiteral("/bbs/");
}

} // namespace lumiqo
