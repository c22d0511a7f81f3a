#include "net/csocket_master.h"

#include "base/message_box.h"
#include "net/socket_address.h"

#include <QPointer>
#include <cerrno>
#include <cmath>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lumiqo {

using namespace modSocketMaster;

namespace {

// A port argument: a number (or a text that reads as one) within [low, high].
qint32 portArgument(const SocketValue &value, int low, int high, const char *operation) {
  const std::optional<double> number = NumericValue(value);
  if (!number)
    throw ClassError(sckerr::UnsupportedType, operation);
  const double rounded = std::nearbyint(*number);
  if (!(rounded >= low && rounded <= high))
    throw ClassError(sckerr::InvalidArgument, operation);
  return static_cast<qint32>(rounded);
}

QString textArgument(const SocketValue &value) {
  if (const auto *text = std::get_if<QString>(&value))
    return *text;
  if (const std::optional<double> number = NumericValue(value))
    return QString::number(*number);
  return {};
}

bool given(const SocketValue &value) {
  return !std::holds_alternative<std::monostate>(value);
}

} // namespace

CSocketMaster::CSocketMaster(QObject *parent) : QObject(parent) {
  InitiateProcesses();
}

CSocketMaster::~CSocketMaster() {
  for (long task : std::as_const(pendingLookups_))
    CancelLookup(task);
  pendingLookups_.clear();
  if (!acceptedFlag_) {
    try {
      DestroySocket();
    } catch (const SocketError &) {
      // Nothing to tell anyone any more.
    }
  }
  FinalizeProcesses();
}

// ---- Properties ------------------------------------------------------------------------

void CSocketMaster::setRemotePort(qint32 lngPort) {
  if (protocol_ == sckTCPProtocol && state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "RemotePort");
  if (lngPort < 0 || lngPort > 65535)
    throw ClassError(sckerr::InvalidArgument, "RemotePort");
  remotePort_ = lngPort;
}

void CSocketMaster::setRemoteHost(const QString &strHost) {
  if (protocol_ == sckTCPProtocol && state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "RemoteHost");
  remoteHost_ = strHost;
}

void CSocketMaster::setLocalPort(qint32 lngPort) {
  if (state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "LocalPort");
  if (lngPort < 0 || lngPort > 65535)
    throw ClassError(sckerr::InvalidArgument, "LocalPort");
  localPort_ = lngPort;
}

void CSocketMaster::setProtocol(qint32 enmProtocol) {
  if (state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "Protocol");
  protocol_ = enmProtocol == sckUDPProtocol ? sckUDPProtocol : sckTCPProtocol;
}

QString CSocketMaster::LocalHostName() const {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0)
    throw SocketError::fromErrno(SocketSource("GetLocalHostName"));
  return QString::fromLocal8Bit(name);
}

QString CSocketMaster::LocalHostAddress() const {
  int error = 0;
  const std::optional<quint32> address = LookupAddressNow(LocalHostName(), &error);
  if (!address)
    throw SocketError::fromCode(error, SocketSource("GetLocalIP"));
  return DottedAddress(*address);
}

QString CSocketMaster::LocalIP() const {
  if ((state_ == sckOpen || state_ == sckListening) && !boundLocalAddress_.isEmpty())
    return boundLocalAddress_;
  return LocalHostAddress();
}

// ---- Socket life -----------------------------------------------------------------------

bool CSocketMaster::SocketExists() {
  if (socket_ != -1)
    return true;
  const int type = protocol_ == sckUDPProtocol ? SOCK_DGRAM : SOCK_STREAM;
  const int fd = ::socket(AF_INET, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    const int code = SocketErrorFromErrno(errno);
    state_ = sckError;
    RaiseErrorEvent(code, SocketSource("SocketExists"));
    return false;
  }
  socket_ = fd;
  ProcessOptions();
  RegisterSocket(socket_, this, true);
  if (protocol_ == sckUDPProtocol)
    EnableRead(socket_);
  return true;
}

void CSocketMaster::ProcessOptions() {
  auto option = [this](int name) {
    int value = 0;
    socklen_t length = sizeof value;
    if (::getsockopt(socket_, SOL_SOCKET, name, &value, &length) != 0)
      throw SocketError::fromErrno(SocketSource("ProcessOptions"));
    return value;
  };
  if (protocol_ == sckTCPProtocol) {
    sendChunkSize_ = option(SO_SNDBUF);
    recvChunkSize_ = option(SO_RCVBUF);
    return;
  }
  const int on = 1;
  if (::setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0)
    throw SocketError::fromErrno(SocketSource("ProcessOptions"));
  // The largest payload of one IPv4 datagram.
  sendChunkSize_ = recvChunkSize_ = 65507;
}

void CSocketMaster::DestroySocket() {
  if (socket_ == -1)
    return;
  StopWatching(socket_);
  if (::close(socket_) != 0 && errno != EINTR) {
    state_ = sckError;
    throw SocketError::fromErrno(SocketSource("DestroySocket"));
  }
  UnregisterSocket(socket_);
  socket_ = -1;
}

void CSocketMaster::RaiseErrorEvent(int number, const QString &src) {
  const QString text = GetErrorDescription(number);
  bool cancelDisplay = true;
  emit Error(number, text, 0, src, QString(), 0, cancelDisplay);
  if (!cancelDisplay)
    showMessage(nullptr, text, MessageIcon::None, src);
}

// ---- Connecting ------------------------------------------------------------------------

void CSocketMaster::Connect(const SocketValue &host, const SocketValue &port) {
  if (state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "Connect");
  if (given(host))
    remoteHost_ = textArgument(host);
  if (given(port))
    remotePort_ = portArgument(port, 1, 65535, "Connect");
  if (!SocketExists())
    return;
  if (protocol_ == sckUDPProtocol) {
    if (BindInternal({}, {}))
      state_ = sckOpen;
    return;
  }
  if (const std::optional<quint32> address = ParseDottedAddress(remoteHost_)) {
    ConnectToIP(*address);
    return;
  }
  ResolveIfHostname();
}

void CSocketMaster::ResolveIfHostname() {
  state_ = sckResolvingHost;
  lookupBuffer_ = std::make_shared<HostEntry>();
  const long task = StartLookup(remoteHost_, lookupBuffer_, this);
  if (task == 0) {
    lookupBuffer_.reset();
    state_ = sckError;
    RaiseErrorEvent(sckerr::NoRecovery, SocketSource("ResolveIfHostname"));
    return;
  }
  pendingLookups_.insert(task);
}

void CSocketMaster::OnLookupDone(long task, int error) {
  if (state_ != sckResolvingHost)
    return;
  pendingLookups_.remove(task);
  EndLookup(task);
  if (error != 0 || !lookupBuffer_ || lookupBuffer_->addresses.isEmpty()) {
    lookupBuffer_.reset();
    state_ = sckError;
    RaiseErrorEvent(error != 0 ? error : sckerr::NoData, SocketSource("ConnectToIP"));
    return;
  }
  state_ = sckHostResolved;
  const quint32 address = lookupBuffer_->addresses.first();
  lookupBuffer_.reset();
  ConnectToIP(address);
}

void CSocketMaster::ConnectToIP(quint32 address) {
  if (!BindInternal({}, {}))
    return;
  state_ = sckConnecting;
  const sockaddr_in peer = MakeAddress(address, remotePort_);
  int rc = 0;
  do
    rc = ::connect(socket_, reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
  while (rc != 0 && errno == EINTR);
  // A connect that completes at once is reported by the notification all the same.
  if (rc == 0 || errno == EINPROGRESS || errno == EAGAIN) {
    WatchConnect(socket_);
    return;
  }
  const int code = SocketErrorFromErrno(errno);
  if (code == sckerr::AddressNotAvailable)
    throw SocketError::fromCode(code, SocketSource("ConnectToIP"));
  state_ = sckError;
  RaiseErrorEvent(code, SocketSource("ConnectToIP"));
}

void CSocketMaster::OnConnect() {
  QString address;
  qint32 port = 0;
  if (PeerName(socket_, &address, &port)) {
    remotePort_ = port;
    remoteHostIP_ = address;
  }
  state_ = sckConnected;
  emit ConnectEvent();
}

// ---- Binding and listening -------------------------------------------------------------

void CSocketMaster::Bind(const SocketValue &port, const SocketValue &address) {
  if (state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "Bind");
  if (BindInternal(port, address))
    state_ = sckOpen;
}

bool CSocketMaster::BindInternal(const SocketValue &portValue, const SocketValue &addressValue) {
  if (state_ == sckOpen)
    return true;
  const qint32 port = given(portValue) ? portArgument(portValue, 0, 65535, "BindInternal") : localPort_;
  QString text = given(addressValue) ? textArgument(addressValue) : QString();
  quint32 address = htonl(INADDR_ANY);
  if (text.isEmpty()) {
    // Without an address the socket takes any local address: a host name that resolves to a
    // loopback alias must not tie an outgoing connection to it. LocalIP then reports the
    // address of the host name, looked up when it is asked for.
  } else if (const std::optional<quint32> dotted = ParseDottedAddress(text)) {
    address = *dotted;
  } else if (const std::optional<quint32> looked = LookupAddressNow(text)) {
    address = *looked;
  } else {
    throw InvalidArgumentError("BindInternal");
  }
  if (!SocketExists())
    return false;
  const sockaddr_in local = MakeAddress(address, port);
  if (::bind(socket_, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0)
    throw SocketError::fromErrno(SocketSource("BindInternal"));
  boundLocalAddress_ = text;
  if (port != 0) {
    localPort_ = port;
  } else {
    QString ignored;
    qint32 chosen = 0;
    if (!LocalName(socket_, &ignored, &chosen))
      throw SocketError::fromErrno(SocketSource("BindInternal"));
    boundLocalPort_ = chosen;
  }
  return true;
}

void CSocketMaster::Listen() {
  if (state_ != sckClosed && state_ != sckOpen)
    throw ClassError(sckerr::InvalidOperation, "Listen");
  if (!SocketExists() || !BindInternal({}, {}))
    return;
  if (::listen(socket_, 5) != 0)
    throw SocketError::fromErrno(SocketSource("Listen"));
  state_ = sckListening;
  EnableRead(socket_);
}

// ---- Accepting -------------------------------------------------------------------------

void CSocketMaster::OnAccept() {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  const int fd =
      ::accept4(socket_, reinterpret_cast<sockaddr *>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
  EnableRead(socket_);
  if (fd < 0) {
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
      return;
    throw SocketError::fromErrno(SocketSource("Accept"));
  }
  auto dropConnection = [fd] {
    StopWatching(fd);
    ::close(fd);
    UnregisterSocket(fd);
    UnregisterAccept(fd);
  };
  try {
    RegisterAccept(fd);
  } catch (const SocketError &) {
    dropConnection();
    throw;
  }
  const qint32 keptPort = remotePort_;
  const QString keptAddress = remoteHostIP_;
  const QString keptHost = remoteHost_;
  remotePort_ = ntohs(peer.sin_port);
  remoteHostIP_ = DottedAddress(peer.sin_addr.s_addr);
  remoteHost_.clear();
  QPointer<CSocketMaster> alive(this);
  emit ConnectionRequest(fd);
  if (alive && state_ == sckListening) {
    remotePort_ = keptPort;
    remoteHostIP_ = keptAddress;
    remoteHost_ = keptHost;
  }
  // Not taken by anyone in the handler: the caller is turned away.
  if (IsAcceptRegistered(fd))
    dropConnection();
}

void CSocketMaster::Accept(qint32 requestID) {
  if (state_ != sckClosed)
    throw ClassError(sckerr::InvalidOperation, "Accept");
  const bool waiting = IsAcceptRegistered(requestID);
  // A socket another object owns is refused before this object takes the handle.
  if (!waiting && IsSocketRegistered(requestID))
    throw ClassError(sckerr::WrongProtocolOrState, "Accept");
  protocol_ = sckTCPProtocol;
  socket_ = requestID;
  try {
    ProcessOptions();
  } catch (const SocketError &) {
    // Not a socket this object can use: the number is not ours to close later.
    socket_ = -1;
    throw;
  }
  if (!waiting) {
    // The holder of a connection that waits for an owner.
    acceptedFlag_ = true;
    state_ = sckConnected;
    RegisterSocket(socket_, this, false);
    return;
  }
  std::unique_ptr<CSocketMaster> holder = TakeAccepted(requestID);
  if (!LocalName(socket_, &boundLocalAddress_, &boundLocalPort_))
    throw SocketError::fromErrno(SocketSource("Accept"));
  PeerName(socket_, &remoteHostIP_, &remotePort_);
  remoteHost_.clear();
  state_ = sckConnected;
  recvBuffer_.append(holder->recvBuffer_);
  holder->recvBuffer_.clear();
  ChangeOwner(socket_, this);
  QPointer<CSocketMaster> alive(this);
  if (!recvBuffer_.isEmpty())
    emit DataArrival(static_cast<qint32>(recvBuffer_.size()));
  if (alive && holder->state_ == sckClosing) {
    state_ = sckClosing;
    emit CloseSckEvent();
  }
}

// ---- Closing ---------------------------------------------------------------------------

void CSocketMaster::CloseSck() {
  if (socket_ == -1)
    return;
  state_ = sckClosing;
  for (long task : std::as_const(pendingLookups_))
    CancelLookup(task);
  pendingLookups_.clear();
  lookupBuffer_.reset();
  DestroySocket();
  boundLocalPort_ = 0;
  remoteHostIP_.clear();
  recvBuffer_.clear();
  sendQueue_.clear();
  sendChunkSize_ = 0;
  recvChunkSize_ = 0;
  bytesSent_ = 0;
  state_ = sckClosed;
}

// ---- Notifications ---------------------------------------------------------------------

void CSocketMaster::WndProc(unsigned message, quintptr wParam, quint32 lParam) noexcept {
  try {
    if (message == kLookupDone) {
      OnLookupDone(static_cast<long>(wParam), HiWord(lParam));
    } else if (message == kSocketEvent) {
      if (const int error = HiWord(lParam)) {
        state_ = sckError;
        RaiseErrorEvent(error, SocketSource("PostSocket"));
        return;
      }
      OnSocketEvent(LoWord(lParam));
    }
  } catch (const SocketError &) {
    // A failure while a notification is handled has nobody to go to.
  } catch (const std::bad_alloc &) {
  }
}

void CSocketMaster::OnSocketEvent(int kind) {
  switch (kind) {
  case FD_READ:
    if (protocol_ == sckTCPProtocol && state_ == sckConnected)
      RecvDataToBuffer();
    else if (protocol_ == sckUDPProtocol && state_ == sckOpen)
      OnDatagram();
    break;
  case FD_WRITE:
    if (protocol_ == sckTCPProtocol && state_ == sckConnected && !sendQueue_.isEmpty())
      SendBufferedData();
    break;
  case FD_ACCEPT:
    if (state_ == sckListening)
      OnAccept();
    break;
  case FD_CONNECT:
    if (state_ == sckConnecting)
      OnConnect();
    break;
  case FD_CLOSE:
    if (state_ == sckConnected) {
      state_ = sckClosing;
      emit CloseSckEvent();
    }
    break;
  default: break;
  }
}

} // namespace lumiqo
