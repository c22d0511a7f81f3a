#pragma once
// The socket control: one socket object, `cmSocket`, placed on a form. Every property and
// method is forwarded to it unchanged (its errors reach the caller as they are) and every
// event is raised again as the control's own. It draws nothing and keeps a fixed size.

#include "net/csocket_master.h"

#include <QVariantMap>
#include <QWidget>
#include <memory>

namespace lumiqo {

class Winsocks : public QWidget {
  Q_OBJECT
public:
  // 420 twips square, whatever size the host gives.
  static constexpr int kSizeTwips = 420;

  explicit Winsocks(QWidget *parent = nullptr);
  ~Winsocks() override;

  // Persisted values: read when the host builds the control (an empty bag gives the
  // defaults), written when it saves; keys "LocalPort", "Protocol", "RemoteHost",
  // "RemotePort", "Tag". Values equal to their default are not written.
  void ReadProperties(const QVariantMap &PropBag);
  void WriteProperties(QVariantMap &PropBag) const;

  qint32 RemotePort() const { return cmSocket->RemotePort(); }
  void setRemotePort(qint32 lngPort) { cmSocket->setRemotePort(lngPort); }
  QString RemoteHost() const { return cmSocket->RemoteHost(); }
  void setRemoteHost(const QString &strHost) { cmSocket->setRemoteHost(strHost); }
  QString RemoteHostIP() const { return cmSocket->RemoteHostIP(); }
  qint32 LocalPort() const { return cmSocket->LocalPort(); }
  void setLocalPort(qint32 lngPort) { cmSocket->setLocalPort(lngPort); }
  qint32 State() const { return cmSocket->State(); }
  QString LocalHostName() const { return cmSocket->LocalHostName(); }
  QString LocalIP() const { return cmSocket->LocalIP(); }
  qint32 BytesReceived() const { return cmSocket->BytesReceived(); }
  qint32 SocketHandle() const { return cmSocket->SocketHandle(); }
  QString Tag() const { return cmSocket->Tag(); }
  void setTag(const QString &strTag) { cmSocket->setTag(strTag); }
  qint32 Protocol() const { return cmSocket->Protocol(); }
  void setProtocol(qint32 enmProtocol) { cmSocket->setProtocol(enmProtocol); }

  void Accept(qint32 requestID) { cmSocket->Accept(requestID); }
  void Bind(const SocketValue &LocalPort = {}, const SocketValue &LocalIP = {}) {
    cmSocket->Bind(LocalPort, LocalIP);
  }
  void CloseSck() { cmSocket->CloseSck(); }
  void Connect(const SocketValue &RemoteHost = {}, const SocketValue &RemotePort = {}) {
    cmSocket->Connect(RemoteHost, RemotePort);
  }
  void GetData(SocketValue &data, std::optional<int> varType = {}, const SocketValue &maxLen = {}) {
    cmSocket->GetData(data, varType, maxLen);
  }
  void Listen() { cmSocket->Listen(); }
  void PeekData(SocketValue &data, std::optional<int> varType = {}, const SocketValue &maxLen = {}) {
    cmSocket->PeekData(data, varType, maxLen);
  }
  void SendData(const SocketValue &data) { cmSocket->SendData(data); }

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
  std::unique_ptr<CSocketMaster> cmSocket;
};

} // namespace lumiqo
