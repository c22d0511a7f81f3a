#include "net/socket_address.h"

#include "base/gbk.h"
#include "net/socket_error.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace lumiqo {

std::optional<quint32> ParseDottedAddress(const QString &text) {
  in_addr address{};
  if (::inet_pton(AF_INET, text.toLatin1().constData(), &address) != 1)
    return std::nullopt;
  return address.s_addr;
}

QString DottedAddress(quint32 networkOrder) {
  in_addr address{};
  address.s_addr = networkOrder;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return QString::fromLatin1(text);
}

std::optional<quint32> LookupAddressNow(const QString &host, int *resolverError) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo *result = nullptr;
  const int rc = ::getaddrinfo(toGbk(host).constData(), nullptr, &hints, &result);
  if (rc != 0 || !result) {
    if (resolverError)
      *resolverError = rc != 0 ? SocketErrorFromResolver(rc) : sckerr::NoData;
    return std::nullopt;
  }
  const quint32 address = reinterpret_cast<const sockaddr_in *>(result->ai_addr)->sin_addr.s_addr;
  ::freeaddrinfo(result);
  return address;
}

namespace {

bool socketName(int socket, bool peer, QString *address, qint32 *port) {
  sockaddr_in name{};
  socklen_t length = sizeof name;
  const int rc = peer ? ::getpeername(socket, reinterpret_cast<sockaddr *>(&name), &length)
                      : ::getsockname(socket, reinterpret_cast<sockaddr *>(&name), &length);
  if (rc != 0)
    return false;
  *address = DottedAddress(name.sin_addr.s_addr);
  *port = ntohs(name.sin_port);
  return true;
}

} // namespace

bool LocalName(int socket, QString *address, qint32 *port) {
  return socketName(socket, false, address, port);
}
bool PeerName(int socket, QString *address, qint32 *port) {
  return socketName(socket, true, address, port);
}

sockaddr_in MakeAddress(quint32 networkOrder, qint32 port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = networkOrder;
  address.sin_port = htons(static_cast<quint16>(port));
  return address;
}

} // namespace lumiqo
