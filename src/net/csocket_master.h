#pragma once
// An asynchronous TCP/UDP socket object in the manner of a classic socket control: the owner
// sets properties and calls Connect, Listen, Bind, SendData, GetData and CloseSck; progress
// arrives as signals. Nothing blocks except the name lookups of Bind and of UDP sends.
//
// Misuse raises SocketError to the caller (number, description, source such as
// "CSocketMaster.Connect"); failures found while a notification is handled are reported
// through the Error signal. A handler that clears CancelDisplay gets a message box.
//
// The events CloseSck and Connect share their names with methods; their signals are
// CloseSckEvent and ConnectEvent. Handlers must not delete the object they are called from
// (use deleteLater).

#include "net/mod_socket_master.h"
#include "net/socket_error.h"
#include "net/socket_value.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

namespace lumiqo {

enum StateConstants : qint32 {
  sckClosed = 0,
  sckOpen = 1,
  sckListening = 2,
  sckConnectionPending = 3,
  sckResolvingHost = 4,
  sckHostResolved = 5,
  sckConnecting = 6,
  sckConnected = 7,
  sckClosing = 8,
  sckError = 9,
};

enum ProtocolConstants : qint32 { sckTCPProtocol = 0, sckUDPProtocol = 1 };

class CSocketMaster : public QObject {
  Q_OBJECT
public:
  explicit CSocketMaster(QObject *parent = nullptr);
  ~CSocketMaster() override;
  CSocketMaster(const CSocketMaster &) = delete;
  CSocketMaster &operator=(const CSocketMaster &) = delete;

  // Properties.
  qint32 RemotePort() const { return remotePort_; }
  void setRemotePort(qint32 lngPort);
  QString RemoteHost() const { return remoteHost_; }
  void setRemoteHost(const QString &strHost);
  QString RemoteHostIP() const { return remoteHostIP_; }
  qint32 LocalPort() const { return boundLocalPort_ != 0 ? boundLocalPort_ : localPort_; }
  void setLocalPort(qint32 lngPort);
  qint32 State() const { return state_; }
  QString LocalHostName() const;
  QString LocalIP() const;
  qint32 BytesReceived() const;
  qint32 SocketHandle() const { return socket_; }
  QString Tag() const { return tag_; }
  void setTag(const QString &strTag) { tag_ = strTag; }
  qint32 Protocol() const { return protocol_; }
  void setProtocol(qint32 enmProtocol);

  // Methods. An empty SocketValue is an argument not given.
  void CloseSck();
  void Connect(const SocketValue &RemoteHost = {}, const SocketValue &RemotePort = {});
  void Bind(const SocketValue &LocalPort = {}, const SocketValue &LocalIP = {});
  void Listen();
  void Accept(qint32 requestID);
  void SendData(const SocketValue &data);
  void GetData(SocketValue &data, std::optional<int> varType = {}, const SocketValue &maxLen = {});
  void PeekData(SocketValue &data, std::optional<int> varType = {}, const SocketValue &maxLen = {});

  // Notifications from the routing (modSocketMaster) only.
  void WndProc(unsigned message, quintptr wParam, quint32 lParam) noexcept;

signals:
  void CloseSckEvent();
  void ConnectEvent();
  void ConnectionRequest(qint32 requestID);
  void DataArrival(qint32 bytesTotal);
  void Error(qint32 Number, const QString &Description, qint32 sCode, const QString &Source,
             const QString &HelpFile, qint32 HelpContext, bool &CancelDisplay);
  void SendComplete();
  void SendProgress(qint32 bytesSent, qint32 bytesRemaining);

private:
  // Connection and state.
  bool SocketExists();
  void DestroySocket();
  bool BindInternal(const SocketValue &port, const SocketValue &address);
  void ResolveIfHostname();
  void ConnectToIP(quint32 address);
  void ProcessOptions();
  void RaiseErrorEvent(int number, const QString &source);
  void OnLookupDone(long task, int error);
  void OnSocketEvent(int kind);
  void OnAccept();
  void OnConnect();
  QString LocalHostAddress() const;

  // Data path.
  void SendBufferedData();
  void SendBufferedDataUDP();
  void RecvDataToBuffer();
  void OnDatagram();
  void RecvData(SocketValue &data, bool peek, std::optional<int> varType, const SocketValue &maxLen);
  bool DatagramPending() const;
  qint32 PendingDatagramSize() const;
  void DiscardDatagram();

  int socket_ = -1;
  qint32 state_ = sckClosed;
  QString tag_;
  QString remoteHost_;
  qint32 remotePort_ = 0;
  QString remoteHostIP_;
  qint32 localPort_ = 0;
  qint32 boundLocalPort_ = 0;
  QString boundLocalAddress_;
  qint32 protocol_ = sckTCPProtocol;
  std::shared_ptr<modSocketMaster::HostEntry> lookupBuffer_;
  qint32 sendChunkSize_ = 0;
  qint32 recvChunkSize_ = 0;
  QByteArray sendQueue_;
  QByteArray recvBuffer_;
  qint64 bytesSent_ = 0;       // running count of the chunked writer
  quint64 datagramsTaken_ = 0; // datagrams removed by GetData
  bool acceptedFlag_ = false;
  QSet<long> pendingLookups_;
};

} // namespace lumiqo
