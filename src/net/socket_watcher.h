#pragma once
// Watches one socket descriptor and turns its readiness into socket events, re-armed the way
// the socket library re-enables its notifications: one read (or accept, or close) event until
// the owner receives again, one write event after a write that would block, and one connect
// event (followed by a write event on success) for a connect in progress.

#include <QSocketNotifier>
#include <functional>

namespace lumiqo {

class SocketWatcher {
public:
  // `post` receives each event kind with its error code (0 on success).
  using Post = std::function<void(int kind, int error)>;
  SocketWatcher(int socket, quint64 id, Post post);
  SocketWatcher(const SocketWatcher &) = delete;
  SocketWatcher &operator=(const SocketWatcher &) = delete;

  quint64 id() const { return id_; }
  void armRead();
  void armWrite();
  void watchConnect();

private:
  void onReadable();
  void onWritable();

  int socket_;
  quint64 id_;
  Post post_;
  bool connecting_ = false;
  bool closed_ = false; // a close has been reported: the socket is not read again
  QSocketNotifier read_;
  QSocketNotifier write_;
};

} // namespace lumiqo
