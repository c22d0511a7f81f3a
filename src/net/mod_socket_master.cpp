#include "net/mod_socket_master.h"

#include "net/csocket_master.h"
#include "net/socket_watcher.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHostAddress>
#include <QHostInfo>
#include <QObject>
#include <QtEndian>
#include <map>
#include <optional>
#include <vector>

namespace lumiqo::modSocketMaster {

namespace {

// Two parallel arrays indexed from 1 (index 0 unused); a freed slot holds -1 and no owner.
class RoutingTable {
public:
  void add(long handle, CSocketMaster *owner) {
    if (slotOf(handle) != 0)
      return;
    for (std::size_t i = 1; i < handles_.size(); ++i) {
      if (handles_[i] == -1) {
        handles_[i] = handle;
        owners_[i] = owner;
        return;
      }
    }
    handles_.push_back(handle);
    owners_.push_back(owner);
  }
  void remove(long handle) {
    if (const int slot = slotOf(handle)) {
      handles_[slot] = -1;
      owners_[slot] = nullptr;
    }
  }
  int slotOf(long handle) const {
    if (handle == -1)
      return 0;
    for (std::size_t i = 1; i < handles_.size(); ++i)
      if (handles_[i] == handle)
        return static_cast<int>(i);
    return 0;
  }
  CSocketMaster *owner(long handle) const {
    const int slot = slotOf(handle);
    return slot ? owners_[slot] : nullptr;
  }
  void setOwner(long handle, CSocketMaster *owner) {
    if (const int slot = slotOf(handle))
      owners_[slot] = owner;
  }
  void clear() {
    handles_.assign(1, -1);
    owners_.assign(1, nullptr);
  }

private:
  std::vector<long> handles_{-1};
  std::vector<CSocketMaster *> owners_{nullptr};
};

const QEvent::Type kNotifyType = static_cast<QEvent::Type>(QEvent::registerEventType());

struct Notification : QEvent {
  Notification(unsigned message, quintptr wParam, quint32 lParam, quint64 watchId)
      : QEvent(kNotifyType), message(message), wParam(wParam), lParam(lParam), watchId(watchId) {}
  unsigned message;
  quintptr wParam;
  quint32 lParam;
  quint64 watchId; // the watcher that posted a socket event; 0 when posted by hand
};

class MessageWindow : public QObject {
public:
  MessageWindow() { setObjectName(QStringLiteral("SOCKET_WINDOW")); }
  bool event(QEvent *event) override;
};

struct ModuleState {
  bool started = false;
  int objectCount = 0;
  MessageWindow *window = nullptr;
  std::optional<std::map<int, CSocketMaster *>> sockets;
  std::optional<std::map<int, std::unique_ptr<CSocketMaster>>> accepted;
  RoutingTable lookupTable;
  RoutingTable socketTable;
  std::map<int, std::unique_ptr<SocketWatcher>> watchers;
  long nextTask = 1;
  quint64 nextWatch = 1;
  int delivering = 0;
};

// Never destroyed: socket objects may outlive static destruction order at exit.
ModuleState &module() {
  static ModuleState *state = new ModuleState;
  return *state;
}

void postNotification(unsigned message, quintptr wParam, quint32 lParam, quint64 watchId) {
  if (MessageWindow *window = module().window)
    QCoreApplication::postEvent(window, new Notification(message, wParam, lParam, watchId));
}

void route(const Notification &n) {
  ModuleState &m = module();
  CSocketMaster *owner = nullptr;
  if (n.message == kLookupDone) {
    owner = m.lookupTable.owner(static_cast<long>(n.wParam));
  } else if (n.message == kSocketEvent) {
    const int socket = static_cast<int>(n.wParam);
    if (n.watchId != 0) {
      // Descriptors are reused at once: an event of a closed socket must not reach the
      // owner of a new socket with the same number.
      const auto it = m.watchers.find(socket);
      if (it == m.watchers.end() || it->second->id() != n.watchId)
        return;
    }
    owner = m.socketTable.owner(socket);
  }
  if (!owner)
    return;
  ++m.delivering;
  owner->WndProc(n.message, n.wParam, n.lParam);
  --m.delivering;
}

bool MessageWindow::event(QEvent *event) {
  if (event->type() != kNotifyType)
    return QObject::event(event);
  route(*static_cast<Notification *>(event));
  return true;
}

void lookupFinished(long task, const std::shared_ptr<HostEntry> &buffer, const QHostInfo &info) {
  ModuleState &m = module();
  if (m.lookupTable.slotOf(task) == 0)
    return;
  int error = 0;
  buffer->addresses.clear();
  if (info.error() == QHostInfo::HostNotFound) {
    error = sckerr::HostNotFound;
  } else if (info.error() != QHostInfo::NoError) {
    error = sckerr::NoRecovery;
  } else {
    for (const QHostAddress &address : info.addresses())
      if (address.protocol() == QAbstractSocket::IPv4Protocol)
        buffer->addresses.append(qToBigEndian(address.toIPv4Address()));
    if (buffer->addresses.isEmpty())
      error = sckerr::NoData;
  }
  const int length = static_cast<int>(buffer->addresses.size() * 4);
  postNotification(kLookupDone, static_cast<quintptr>(task), MakeLParam(length, error), 0);
}

SocketWatcher &watch(int socket) {
  ModuleState &m = module();
  const quint64 id = m.nextWatch++;
  auto watcher = std::make_unique<SocketWatcher>(socket, id, [socket, id](int kind, int error) {
    postNotification(kSocketEvent, static_cast<quintptr>(socket), MakeLParam(kind, error), id);
  });
  SocketWatcher &ref = *watcher;
  m.watchers[socket] = std::move(watcher);
  return ref;
}

SocketWatcher *watcherOf(int socket) {
  ModuleState &m = module();
  const auto it = m.watchers.find(socket);
  return it == m.watchers.end() ? nullptr : it->second.get();
}

} // namespace

void InitiateProcesses() {
  ModuleState &m = module();
  ++m.objectCount;
  if (m.started)
    return;
  // POSIX sockets need no library start; the routing tables are prepared here.
  m.lookupTable.clear();
  m.socketTable.clear();
  m.started = true;
}

void FinalizeProcesses() {
  ModuleState &m = module();
  const int before = m.objectCount--;
  if (!m.started || before != 1)
    return;
  m.lookupTable.clear();
  m.socketTable.clear();
  m.started = false;
}

bool Started() {
  return module().started;
}
int ObjectCount() {
  return module().objectCount;
}

bool RegisterSocket(int socket, CSocketMaster *owner, bool select) {
  ModuleState &m = module();
  if (!m.sockets) {
    m.sockets.emplace();
    if (!m.window)
      m.window = new MessageWindow;
  }
  m.socketTable.add(socket, owner);
  if (select)
    watch(socket);
  (*m.sockets)[socket] = owner;
  return true;
}

void UnregisterSocket(int socket) {
  ModuleState &m = module();
  m.socketTable.remove(socket);
  m.watchers.erase(socket);
  if (!m.sockets)
    return;
  m.sockets->erase(socket);
  if (m.sockets->empty()) {
    m.sockets.reset();
    DestroyWinsockMessageWindow();
  }
}

bool IsSocketRegistered(int socket) {
  const ModuleState &m = module();
  return m.sockets && m.sockets->count(socket) != 0;
}

void EnableRead(int socket) {
  if (SocketWatcher *w = watcherOf(socket))
    w->armRead();
}

void EnableWrite(int socket) {
  if (SocketWatcher *w = watcherOf(socket))
    w->armWrite();
}

void WatchConnect(int socket) {
  if (SocketWatcher *w = watcherOf(socket))
    w->watchConnect();
}

void StopWatching(int socket) {
  module().watchers.erase(socket);
}

long StartLookup(const QString &host, std::shared_ptr<HostEntry> buffer, CSocketMaster *owner) {
  ModuleState &m = module();
  if (!m.window || !buffer)
    return 0;
  const long task = m.nextTask++;
  m.lookupTable.add(task, owner);
  QHostInfo::lookupHost(host, m.window,
                        [task, buffer](const QHostInfo &info) { lookupFinished(task, buffer, info); });
  return task;
}

void CancelLookup(long task) {
  // The lookup runs to its end (aborting one leaks its reply object); its message finds no
  // slot and is dropped.
  EndLookup(task);
}

void EndLookup(long task) {
  module().lookupTable.remove(task);
}

void RegisterAccept(int socket) {
  ModuleState &m = module();
  if (!m.accepted)
    m.accepted.emplace();
  // An accepted socket inherits the listener's notifications.
  watch(socket).armRead();
  auto holder = std::make_unique<CSocketMaster>();
  holder->Accept(socket);
  (*m.accepted)[socket] = std::move(holder);
}

bool IsAcceptRegistered(int socket) {
  const ModuleState &m = module();
  return m.accepted && m.accepted->count(socket) != 0;
}

std::unique_ptr<CSocketMaster> TakeAccepted(int socket) {
  ModuleState &m = module();
  if (!m.accepted)
    return nullptr;
  const auto it = m.accepted->find(socket);
  if (it == m.accepted->end())
    return nullptr;
  std::unique_ptr<CSocketMaster> holder = std::move(it->second);
  m.accepted->erase(it);
  if (m.accepted->empty())
    m.accepted.reset();
  return holder;
}

void UnregisterAccept(int socket) {
  TakeAccepted(socket).reset();
}

void ChangeOwner(int socket, CSocketMaster *owner) {
  ModuleState &m = module();
  m.socketTable.setOwner(socket, owner);
  if (m.sockets && m.sockets->count(socket))
    (*m.sockets)[socket] = owner;
}

bool HasMessageWindow() {
  return module().window != nullptr;
}

void DestroyWinsockMessageWindow() {
  ModuleState &m = module();
  if (!m.window)
    return;
  MessageWindow *window = std::exchange(m.window, nullptr);
  if (m.delivering > 0)
    window->deleteLater(); // the window is delivering the message that closed the last socket
  else
    delete window;
}

void PostMessage(unsigned message, quintptr wParam, quint32 lParam) {
  postNotification(message, wParam, lParam, 0);
}

int SocketTableSlot(int socket) {
  return module().socketTable.slotOf(socket);
}
int LookupTableSlot(long task) {
  return module().lookupTable.slotOf(task);
}

} // namespace lumiqo::modSocketMaster
