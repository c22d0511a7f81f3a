// The TCP client against real peers on 127.0.0.1: connecting by address and by name, refusal,
// misuse, sending with progress, the receive buffer and typed reads, the peer's close.
#include "base/message_box.h"
#include "net/csocket_master.h"
#include "net/socket_test_util.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using test::waitUntil;

struct ErrorRecord {
  int number = 0;
  QString description;
  QString source;
};

// Records Error events; `cancelDisplay` is what the handler leaves in CancelDisplay.
void recordErrors(CSocketMaster &socket, std::vector<ErrorRecord> &into, bool cancelDisplay = true) {
  QObject::connect(&socket, &CSocketMaster::Error,
                   [&into, cancelDisplay](qint32 number, const QString &description, qint32,
                                          const QString &source, const QString &, qint32, bool &cancel) {
                     into.push_back({number, description, source});
                     cancel = cancelDisplay;
                   });
}

class MessageCatcher {
public:
  MessageCatcher() {
    setMessageHandler([this](const MessageRequest &r) {
      texts.push_back(r.text);
      titles.push_back(r.title);
    });
  }
  ~MessageCatcher() { setMessageHandler({}); }
  std::vector<QString> texts;
  std::vector<QString> titles;
};

template <typename F> int raisedNumber(F &&call) {
  try {
    call();
  } catch (const SocketError &e) {
    return e.Number();
  }
  return 0;
}

// A client connected to a POSIX peer.
struct ConnectedPair {
  test::PosixListener listener;
  CSocketMaster client;
  test::Fd server;
  bool open() {
    client.Connect(QStringLiteral("127.0.0.1"), listener.port());
    server = listener.accept();
    return server.fd >= 0 && waitUntil([&] { return client.State() == sckConnected; });
  }
};

TEST(TcpClient, ConnectByAddressGoesStraightToConnecting) {
  test::PosixListener listener;
  CSocketMaster client;
  QSignalSpy connected(&client, &CSocketMaster::ConnectEvent);
  client.Connect(QStringLiteral("127.0.0.1"), listener.port());
  EXPECT_EQ(client.State(), sckConnecting);
  ASSERT_TRUE(connected.wait(5000));
  EXPECT_EQ(client.State(), sckConnected);
  EXPECT_EQ(client.RemoteHostIP(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(client.RemotePort(), listener.port());
  EXPECT_EQ(connected.count(), 1);
}

TEST(TcpClient, ConnectByNameResolvesThenConnects) {
  test::PosixListener listener;
  CSocketMaster client;
  std::vector<qint32> statesAtConnect;
  QObject::connect(&client, &CSocketMaster::ConnectEvent, [&] { statesAtConnect.push_back(client.State()); });
  client.setRemoteHost(QStringLiteral("localhost"));
  client.setRemotePort(listener.port());
  client.Connect();
  EXPECT_EQ(client.State(), sckResolvingHost);
  ASSERT_TRUE(waitUntil([&] { return !statesAtConnect.empty(); }));
  EXPECT_EQ(statesAtConnect, std::vector<qint32>{sckConnected});
  EXPECT_EQ(client.RemoteHostIP(), QStringLiteral("127.0.0.1"));
  EXPECT_EQ(client.RemoteHost(), QStringLiteral("localhost"));
}

TEST(TcpClient, UnknownHostReportsHostNotFound) {
  CSocketMaster client;
  std::vector<ErrorRecord> errors;
  recordErrors(client, errors);
  client.Connect(QStringLiteral("no-such-host.invalid"), 80);
  ASSERT_TRUE(waitUntil([&] { return !errors.empty(); }, 15000));
  EXPECT_EQ(errors[0].number, 11001);
  EXPECT_EQ(errors[0].description, QStringLiteral("Host not found."));
  EXPECT_EQ(errors[0].source, QStringLiteral("CSocketMaster.ConnectToIP"));
  EXPECT_EQ(client.State(), sckError);
}

TEST(TcpClient, RefusedConnectionRaisesErrorAndShowsNoBoxUnlessAsked) {
  MessageCatcher messages;
  for (const bool cancelDisplay : {true, false}) {
    CSocketMaster client;
    std::vector<ErrorRecord> errors;
    recordErrors(client, errors, cancelDisplay);
    client.Connect(QStringLiteral("127.0.0.1"), test::refusedPort());
    ASSERT_TRUE(waitUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(client.State(), sckError);
    EXPECT_EQ(errors[0].number, 10061);
    EXPECT_EQ(errors[0].description, QStringLiteral("Connection refused."));
    EXPECT_EQ(errors[0].source, QStringLiteral("CSocketMaster.PostSocket"));
    // From the error state CloseSck returns to closed, and the object can connect again.
    client.CloseSck();
    EXPECT_EQ(client.State(), sckClosed);
    EXPECT_EQ(client.SocketHandle(), -1);
  }
  ASSERT_EQ(messages.texts.size(), 1u);
  EXPECT_EQ(messages.texts[0], QStringLiteral("Connection refused."));
  // The box names the operation that failed.
  EXPECT_EQ(messages.titles[0], QStringLiteral("CSocketMaster.PostSocket"));
}

TEST(TcpClient, MisuseRaisesNumberedErrors) {
  CSocketMaster idle;
  EXPECT_EQ(raisedNumber([&] { idle.Connect(QStringLiteral("127.0.0.1"), 0); }), 40014);
  EXPECT_EQ(raisedNumber([&] { idle.Connect(QStringLiteral("127.0.0.1"), 65536); }), 40014);
  EXPECT_EQ(raisedNumber([&] { idle.Connect(QStringLiteral("127.0.0.1"), QStringLiteral("http")); }), 40018);
  EXPECT_EQ(raisedNumber([&] { idle.setRemotePort(70000); }), 40014);
  EXPECT_EQ(raisedNumber([&] { idle.setLocalPort(-1); }), 40014);
  EXPECT_EQ(raisedNumber([&] { idle.SendData(QStringLiteral("x")); }), 40006);
  EXPECT_EQ(idle.State(), sckClosed);
  EXPECT_EQ(idle.SocketHandle(), -1);
  idle.CloseSck(); // nothing to close: nothing happens
  EXPECT_EQ(idle.State(), sckClosed);

  ConnectedPair pair;
  ASSERT_TRUE(pair.open());
  try {
    pair.client.Connect(QStringLiteral("127.0.0.1"), pair.listener.port());
    ADD_FAILURE() << "Connect while connected";
  } catch (const SocketError &e) {
    EXPECT_EQ(e.Number(), 40020);
    EXPECT_EQ(e.Description(), QStringLiteral("Invalid operation at current state"));
    EXPECT_EQ(e.Source(), QStringLiteral("CSocketMaster.Connect"));
  }
  EXPECT_EQ(raisedNumber([&] { pair.client.setRemoteHost(QStringLiteral("x")); }), 40020);
  EXPECT_EQ(raisedNumber([&] { pair.client.setRemotePort(1); }), 40020);
  EXPECT_EQ(raisedNumber([&] { pair.client.setProtocol(sckUDPProtocol); }), 40020);
  EXPECT_EQ(raisedNumber([&] { pair.client.Listen(); }), 40020);
  EXPECT_EQ(raisedNumber([&] { pair.client.SendData(SocketValue{}); }), 40018);
  EXPECT_EQ(pair.client.State(), sckConnected);
}

TEST(TcpClient, SendReportsProgressThenCompletion) {
  ConnectedPair pair;
  ASSERT_TRUE(pair.open());
  std::vector<QString> events;
  QObject::connect(&pair.client, &CSocketMaster::SendProgress, [&](qint32 sent, qint32 remaining) {
    events.push_back(QStringLiteral("progress %1 %2").arg(sent).arg(remaining));
  });
  QObject::connect(&pair.client, &CSocketMaster::SendComplete,
                   [&] { events.push_back(QStringLiteral("complete")); });
  pair.client.SendData(QString());
  EXPECT_TRUE(events.empty());
  pair.client.SendData(QStringLiteral("abc"));
  EXPECT_EQ(events, (std::vector<QString>{QStringLiteral("progress 3 0"), QStringLiteral("complete")}));
  QByteArray received;
  ASSERT_TRUE(waitUntil([&] {
    test::drain(pair.server.fd, received);
    return received.size() >= 3;
  }));
  EXPECT_EQ(received, QByteArray("abc"));
}

TEST(TcpClient, SendsQueuedWhileBlockedGoOutWithOneCompletion) {
  ConnectedPair pair;
  ASSERT_TRUE(pair.open());
  int completions = 0;
  qint32 lastRemaining = -1;
  QObject::connect(&pair.client, &CSocketMaster::SendComplete, [&] { ++completions; });
  QObject::connect(&pair.client, &CSocketMaster::SendProgress, [&](qint32, qint32 r) { lastRemaining = r; });
  // More than the loopback buffers hold while the peer reads nothing.
  const QByteArray bulk(16 * 1024 * 1024, 'x');
  pair.client.SendData(bulk);
  ASSERT_EQ(completions, 0) << "the write should have blocked";
  EXPECT_GT(lastRemaining, 0);
  pair.client.SendData(QByteArray("tail"));
  EXPECT_EQ(completions, 0);

  QByteArray received;
  ASSERT_TRUE(waitUntil(
      [&] {
        test::drain(pair.server.fd, received);
        return received.size() >= bulk.size() + 4 && completions > 0;
      },
      30000));
  EXPECT_EQ(received.size(), bulk.size() + 4);
  EXPECT_TRUE(received.endsWith("xtail"));
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(lastRemaining, 0);
}

TEST(TcpClient, TypedReadsFromTheReceiveBuffer) {
  ConnectedPair pair;
  ASSERT_TRUE(pair.open());
  QSignalSpy arrived(&pair.client, &CSocketMaster::DataArrival);
  test::sendAll(pair.server.fd, QByteArray("\x01\x02\x03", 3));
  ASSERT_TRUE(waitUntil([&] { return pair.client.BytesReceived() == 3; }));
  EXPECT_EQ(arrived.last().at(0).toInt(), 3);

  // Too few bytes for a 32-bit integer: nothing changes, nothing is taken.
  SocketValue value;
  pair.client.GetData(value, vt::Long);
  EXPECT_TRUE(std::holds_alternative<std::monostate>(value));
  EXPECT_EQ(pair.client.BytesReceived(), 3);

  test::sendAll(pair.server.fd, QByteArray("\x04"
                                           "ABCDEF",
                                           7));
  ASSERT_TRUE(waitUntil([&] { return pair.client.BytesReceived() == 10; }));
  // Peeking twice gives the same value and leaves the bytes.
  SocketValue first, second;
  pair.client.PeekData(first, vt::Long);
  pair.client.PeekData(second, vt::Long);
  EXPECT_EQ(first, SocketValue(qint32(0x04030201)));
  EXPECT_EQ(first, second);
  EXPECT_EQ(pair.client.BytesReceived(), 10);
  pair.client.GetData(value, vt::Long);
  EXPECT_EQ(value, SocketValue(qint32(0x04030201)));
  EXPECT_EQ(pair.client.BytesReceived(), 6);

  // A variable holding text reads text, whatever type is asked for.
  SocketValue text = QString();
  pair.client.GetData(text, vt::Long, 2);
  EXPECT_EQ(text, SocketValue(QStringLiteral("AB")));
  SocketValue bytes;
  pair.client.GetData(bytes);
  EXPECT_EQ(bytes, SocketValue(QByteArray("CDEF")));
  EXPECT_EQ(pair.client.BytesReceived(), 0);
  SocketValue fresh;
  EXPECT_EQ(raisedNumber([&] { pair.client.GetData(fresh, 9); }), 40018);
  EXPECT_EQ(raisedNumber([&] { pair.client.GetData(bytes, vt::String, -1); }), 40014);
}

TEST(TcpClient, PeerCloseAfterDataKeepsTheDataReadable) {
  ConnectedPair pair;
  ASSERT_TRUE(pair.open());
  std::vector<QString> events;
  QObject::connect(&pair.client, &CSocketMaster::DataArrival,
                   [&](qint32 n) { events.push_back(QString::number(n)); });
  QObject::connect(&pair.client, &CSocketMaster::CloseSckEvent,
                   [&] { events.push_back(QStringLiteral("close")); });
  test::sendAll(pair.server.fd, QByteArray("HTTP/1.1 200 OK\r\n\r\n"));
  pair.server.reset();
  ASSERT_TRUE(waitUntil([&] { return pair.client.State() == sckClosing; }));
  EXPECT_EQ(events, (std::vector<QString>{QStringLiteral("19"), QStringLiteral("close")}));
  // In the closing state the buffer is no longer handed out.
  SocketValue reply;
  EXPECT_EQ(raisedNumber([&] { pair.client.GetData(reply, vt::String); }), 40006);
  pair.client.CloseSck();
  EXPECT_EQ(pair.client.State(), sckClosed);
  EXPECT_EQ(pair.client.BytesReceived(), 0);
  EXPECT_TRUE(pair.client.RemoteHostIP().isEmpty());
}

} // namespace
} // namespace lumiqo
