#pragma once
// What socket objects share: the socket library's start and stop (counted by live objects),
// the routing of notifications to the object that owns a socket or a host-name lookup, the
// registries of sockets and of accepted connections waiting for an owner.
//
// Notifications are Qt events posted to one routing object ("SOCKET_WINDOW") and delivered
// one at a time, in arrival order, on the user-interface thread: readiness of a socket
// (watched by QSocketNotifier) becomes a socket event, the end of a QHostInfo lookup a
// lookup-done message. A message whose socket or lookup is no longer registered is dropped.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <memory>

namespace lumiqo {

class CSocketMaster;

namespace modSocketMaster {

// Messages delivered to CSocketMaster::WndProc.
inline constexpr unsigned kLookupDone = 0x800;  // wParam task, lParam error << 16 | length
inline constexpr unsigned kSocketEvent = 0x801; // wParam socket, lParam error << 16 | event

// Socket event kinds.
inline constexpr int FD_READ = 1;
inline constexpr int FD_WRITE = 2;
inline constexpr int FD_ACCEPT = 8;
inline constexpr int FD_CONNECT = 16;
inline constexpr int FD_CLOSE = 32;
inline constexpr int kEventMask = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

inline constexpr int HiWord(quint32 value) {
  return static_cast<int>(value >> 16);
}
inline constexpr int LoWord(quint32 value) {
  return static_cast<int>(value & 0xFFFF);
}
inline constexpr quint32 MakeLParam(int low, int high) {
  return (static_cast<quint32>(high) << 16) | (static_cast<quint32>(low) & 0xFFFF);
}

// The result of a host-name lookup: IPv4 addresses in network byte order.
struct HostEntry {
  QList<quint32> addresses;
};

// A socket object is created / destroyed. The first start prepares the routing; the last
// stop releases it.
void InitiateProcesses();
void FinalizeProcesses();
bool Started();
int ObjectCount();

// Adds the socket to the routing and the registry; with `select`, watches it for the socket
// events. Returns true.
bool RegisterSocket(int socket, CSocketMaster *owner, bool select);
void UnregisterSocket(int socket);
bool IsSocketRegistered(int socket);

// Readiness, re-armed as the socket library re-enables its notifications: a read event
// (and an accept or close) after a receive or an accept, a write event after a write that
// would block, a connect event once a non-blocking connect has started.
void EnableRead(int socket);
void EnableWrite(int socket);
void WatchConnect(int socket);
// Stops watching without unregistering; used just before the descriptor is closed.
void StopWatching(int socket);

// Starts an asynchronous lookup of `host` that fills `buffer` and posts a lookup-done
// message. Returns the task handle, 0 when the lookup did not start.
long StartLookup(const QString &host, std::shared_ptr<HostEntry> buffer, CSocketMaster *owner);
// Cancels a running lookup (its message, should it still come, is dropped) and frees its slot.
void CancelLookup(long task);
void EndLookup(long task);

// Accepted connections that wait for an owner, each held by a temporary object.
void RegisterAccept(int socket);
bool IsAcceptRegistered(int socket);
std::unique_ptr<CSocketMaster> TakeAccepted(int socket);
void UnregisterAccept(int socket);

// Routes the socket's events to `owner` from now on.
void ChangeOwner(int socket, CSocketMaster *owner);

bool HasMessageWindow();
void DestroyWinsockMessageWindow();

// Posts a message to the routing as the notifications do (tests use it for stale messages).
void PostMessage(unsigned message, quintptr wParam, quint32 lParam);

// Slot (from 1) of a socket or task in its routing table; 0 when absent.
int SocketTableSlot(int socket);
int LookupTableSlot(long task);

} // namespace modSocketMaster
} // namespace lumiqo
