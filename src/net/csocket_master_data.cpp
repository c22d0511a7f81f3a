// The data path of CSocketMaster: the send queue and its writers, the receive buffer, typed
// reads, datagrams.
#include "net/csocket_master.h"

#include "net/socket_address.h"

#include <QPointer>
#include <cerrno>
#include <cmath>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace lumiqo {

using namespace modSocketMaster;

qint32 CSocketMaster::BytesReceived() const {
  if (protocol_ == sckTCPProtocol)
    return static_cast<qint32>(recvBuffer_.size());
  return PendingDatagramSize();
}

// ---- Sending ---------------------------------------------------------------------------

void CSocketMaster::SendData(const SocketValue &data) {
  if (protocol_ == sckUDPProtocol) {
    try {
      if (!SocketExists() || !BindInternal({}, {}))
        return;
    } catch (const SocketError &) {
      return;
    }
    state_ = sckOpen;
  } else if (state_ != sckConnected) {
    throw ClassError(sckerr::WrongProtocolOrState, "SendData");
  }
  const std::optional<QByteArray> bytes = ValueToBytes(data);
  if (!bytes)
    throw ClassError(sckerr::UnsupportedType, "SendData");
  if (bytes->isEmpty())
    return;
  const bool idle = sendQueue_.isEmpty();
  sendQueue_.append(*bytes);
  if (!idle)
    return; // a write is pending; these bytes go with it
  if (protocol_ == sckTCPProtocol)
    SendBufferedData();
  else
    SendBufferedDataUDP();
}

void CSocketMaster::SendBufferedData() {
  QPointer<CSocketMaster> alive(this);
  while (alive && socket_ != -1 && !sendQueue_.isEmpty()) {
    const qsizetype chunk =
        sendChunkSize_ > 0 ? std::min<qsizetype>(sendChunkSize_, sendQueue_.size()) : sendQueue_.size();
    const ssize_t written = ::send(socket_, sendQueue_.constData(), static_cast<size_t>(chunk), MSG_NOSIGNAL);
    if (written >= 0) {
      bytesSent_ += written;
      if (written < sendQueue_.size()) {
        sendQueue_.remove(0, written);
        continue;
      }
      sendQueue_.clear();
      // The count starts again before the handlers run, so that a send from a handler
      // counts only its own bytes.
      const auto sent = static_cast<qint32>(std::exchange(bytesSent_, 0));
      emit SendProgress(sent, 0);
      if (alive)
        emit SendComplete();
      continue;
    }
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      EnableWrite(socket_);
      if (bytesSent_ >= 1)
        emit SendProgress(static_cast<qint32>(bytesSent_), static_cast<qint32>(sendQueue_.size()));
      return;
    }
    const int code = SocketErrorFromErrno(errno);
    state_ = sckError;
    RaiseErrorEvent(code, SocketSource("SendBufferedData"));
    return;
  }
}

void CSocketMaster::SendBufferedDataUDP() {
  std::optional<quint32> address = ParseDottedAddress(remoteHost_);
  if (!address) {
    if (remoteHost_.isEmpty()) {
      sendQueue_.clear();
      throw SocketError::fromCode(sckerr::AddressFamily, SocketSource("SendBufferedDataUDP"));
    }
    address = LookupAddressNow(remoteHost_);
    if (!address) {
      sendQueue_.clear();
      throw InvalidArgumentError("SendBufferedDataUDP");
    }
  }
  const sockaddr_in peer = MakeAddress(*address, remotePort_);
  const QByteArray datagram = std::exchange(sendQueue_, QByteArray());
  const ssize_t sent = ::sendto(socket_, datagram.constData(), static_cast<size_t>(datagram.size()),
                                MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&peer), sizeof peer);
  if (sent < 0) {
    const int code = SocketErrorFromErrno(errno);
    state_ = sckError;
    RaiseErrorEvent(code, SocketSource("SendBufferedDataUDP"));
  }
}

// ---- Receiving -------------------------------------------------------------------------

void CSocketMaster::RecvDataToBuffer() {
  const qsizetype chunk = recvChunkSize_ > 0 ? recvChunkSize_ : 65536;
  const qsizetype before = recvBuffer_.size();
  recvBuffer_.resize(before + chunk);
  const ssize_t received = ::recv(socket_, recvBuffer_.data() + before, static_cast<size_t>(chunk), 0);
  const int err = errno;
  recvBuffer_.resize(before + std::max<ssize_t>(received, 0));
  EnableRead(socket_);
  if (received < 0) {
    if (err == EAGAIN || err == EWOULDBLOCK || err == EINTR)
      return;
    state_ = sckError;
    errno = err;
    throw SocketError::fromErrno(SocketSource("RecvDataToBuffer"));
  }
  if (received >= 1)
    emit DataArrival(static_cast<qint32>(recvBuffer_.size()));
}

bool CSocketMaster::DatagramPending() const {
  char probe;
  return ::recv(socket_, &probe, 1, MSG_PEEK | MSG_DONTWAIT) >= 0;
}

qint32 CSocketMaster::PendingDatagramSize() const {
  if (socket_ == -1)
    return 0;
  int size = 0;
  if (::ioctl(socket_, FIONREAD, &size) != 0)
    return 0;
  return size;
}

void CSocketMaster::DiscardDatagram() {
  char byte;
  if (::recv(socket_, &byte, 1, MSG_DONTWAIT) >= 0)
    ++datagramsTaken_;
  EnableRead(socket_);
}

void CSocketMaster::OnDatagram() {
  const quint64 takenBefore = datagramsTaken_;
  QPointer<CSocketMaster> alive(this);
  if (const qint32 size = PendingDatagramSize(); size > 0)
    emit DataArrival(size);
  if (!alive || socket_ == -1)
    return;
  // A datagram the handler left is dropped; one that arrived after the handler took its
  // own is kept for the next notification.
  if (datagramsTaken_ == takenBefore && DatagramPending())
    DiscardDatagram();
  EnableRead(socket_);
}

void CSocketMaster::GetData(SocketValue &data, std::optional<int> varType, const SocketValue &maxLen) {
  RecvData(data, false, varType, maxLen);
}

void CSocketMaster::PeekData(SocketValue &data, std::optional<int> varType, const SocketValue &maxLen) {
  RecvData(data, true, varType, maxLen);
}

void CSocketMaster::RecvData(SocketValue &data, bool peek, std::optional<int> varType,
                             const SocketValue &maxLen) {
  const char *operation = peek ? "PeekData" : "GetData";
  const QString src = SocketSource(operation);
  const bool udp = protocol_ == sckUDPProtocol;
  if (!udp) {
    const bool allowed = state_ == sckConnected || (!peek && acceptedFlag_);
    if (!allowed)
      throw ClassError(sckerr::WrongProtocolOrState, operation);
  } else {
    if (state_ != sckOpen)
      throw ClassError(sckerr::WrongProtocolOrState, operation);
    if (!DatagramPending())
      return;
  }
  const qsizetype available = udp ? PendingDatagramSize() : recvBuffer_.size();
  std::optional<qint64> limit;
  if (!std::holds_alternative<std::monostate>(maxLen)) {
    const std::optional<double> number = NumericValue(maxLen);
    if (!number) {
      limit = available;
    } else if (*number < 0) {
      throw ClassError(sckerr::InvalidArgument, operation);
    } else {
      limit = static_cast<qint64>(std::min(std::nearbyint(*number), 2147483647.0));
    }
  }
  const int type = ReadType(data, varType);
  const ReadPlan plan = PlanRead(type, available, limit);
  switch (plan.action) {
  case ReadPlan::Action::Unsupported: throw ClassError(sckerr::UnsupportedType, "RecvData");
  case ReadPlan::Action::Unchanged: return;
  case ReadPlan::Action::StoreEmpty:
    data = DecodeValue(type, {});
    if (udp && plan.emptyRequest) {
      DiscardDatagram();
      throw SocketError::fromCode(sckerr::MessageTooLong, src);
    }
    return;
  case ReadPlan::Action::Take: break;
  }
  if (!udp) {
    data = DecodeValue(type, QByteArrayView(recvBuffer_).first(plan.count));
    if (!peek)
      recvBuffer_.remove(0, plan.count);
    return;
  }
  QByteArray bytes(plan.count, Qt::Uninitialized);
  sockaddr_in sender{};
  iovec part{bytes.data(), static_cast<size_t>(bytes.size())};
  msghdr header{};
  header.msg_name = &sender;
  header.msg_namelen = sizeof sender;
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  const ssize_t received = ::recvmsg(socket_, &header, (peek ? MSG_PEEK : 0) | MSG_DONTWAIT);
  const int err = errno;
  if (!peek && received >= 0)
    ++datagramsTaken_;
  EnableRead(socket_);
  bytes.resize(std::max<ssize_t>(received, 0));
  if (received >= 0) {
    remoteHostIP_ = DottedAddress(sender.sin_addr.s_addr);
    remotePort_ = ntohs(sender.sin_port);
    remoteHost_.clear();
  }
  data = DecodeValue(type, bytes);
  if (received < 0) {
    errno = err;
    throw SocketError::fromErrno(src);
  }
  // The datagram was longer than asked for: the rest is gone, as the caller is told.
  if (header.msg_flags & MSG_TRUNC)
    throw SocketError::fromCode(sckerr::MessageTooLong, src);
}

} // namespace lumiqo
