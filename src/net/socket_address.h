#pragma once
// IPv4 address helpers of the socket class: dotted text, blocking lookups, socket names.

#include <QString>
#include <optional>

struct sockaddr_in;

namespace lumiqo {

// A dotted IPv4 address ("a.b.c.d") in network byte order; nothing for any other text.
std::optional<quint32> ParseDottedAddress(const QString &text);
QString DottedAddress(quint32 networkOrder);

// The first IPv4 address of a host name, blocking. On failure `resolverError` receives the
// socket-library code.
std::optional<quint32> LookupAddressNow(const QString &host, int *resolverError = nullptr);

// The local or peer address of a socket; false with errno set on failure.
bool LocalName(int socket, QString *address, qint32 *port);
bool PeerName(int socket, QString *address, qint32 *port);

sockaddr_in MakeAddress(quint32 networkOrder, qint32 port);

} // namespace lumiqo
