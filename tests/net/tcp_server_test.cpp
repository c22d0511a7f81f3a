// Listening and accepting: the ConnectionRequest event, an accepting object, and an incoming
// connection that nobody accepts.
#include "net/csocket_master.h"
#include "net/socket_test_util.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using test::waitUntil;

// A listener on 127.0.0.1 and a port the system chooses.
void listenOnLoopback(CSocketMaster &server) {
  server.Bind(0, QStringLiteral("127.0.0.1"));
  ASSERT_EQ(server.State(), sckOpen);
  server.Listen();
  ASSERT_EQ(server.State(), sckListening);
  ASSERT_GT(server.LocalPort(), 0);
  EXPECT_EQ(server.LocalIP(), QStringLiteral("127.0.0.1"));
}

TEST(TcpServer, AcceptedConnectionCarriesDataBothWays) {
  CSocketMaster server;
  listenOnLoopback(server);
  CSocketMaster accepted;
  qint32 portDuring = -1;
  QString addressDuring;
  QObject::connect(&server, &CSocketMaster::ConnectionRequest, [&](qint32 requestID) {
    portDuring = server.RemotePort();
    addressDuring = server.RemoteHostIP();
    accepted.Accept(requestID);
  });
  test::Fd client = test::connectTo(server.LocalPort());
  ASSERT_GE(client.fd, 0);
  ASSERT_TRUE(waitUntil([&] { return accepted.State() == sckConnected; }));

  // During the event the listener described the caller; afterwards its own values are back.
  EXPECT_EQ(portDuring, test::localPort(client.fd));
  EXPECT_EQ(addressDuring, QStringLiteral("127.0.0.1"));
  EXPECT_EQ(server.RemotePort(), 0);
  EXPECT_TRUE(server.RemoteHostIP().isEmpty());
  EXPECT_EQ(server.State(), sckListening);

  EXPECT_EQ(accepted.RemotePort(), test::localPort(client.fd));
  EXPECT_EQ(accepted.LocalPort(), server.LocalPort());

  QSignalSpy arrived(&accepted, &CSocketMaster::DataArrival);
  test::sendAll(client.fd, "ping");
  ASSERT_TRUE(arrived.wait(5000));
  SocketValue text;
  accepted.GetData(text, vt::String);
  EXPECT_EQ(text, SocketValue(QStringLiteral("ping")));

  accepted.SendData(QStringLiteral("pong"));
  QByteArray reply;
  ASSERT_TRUE(waitUntil([&] {
    test::drain(client.fd, reply);
    return reply.size() >= 4;
  }));
  EXPECT_EQ(reply, QByteArray("pong"));

  client.reset();
  ASSERT_TRUE(waitUntil([&] { return accepted.State() == sckClosing; }));
  accepted.CloseSck();
  EXPECT_EQ(accepted.State(), sckClosed);
}

TEST(TcpServer, ConnectionNotAcceptedIsClosedAtOnce) {
  CSocketMaster server;
  listenOnLoopback(server);
  QSignalSpy requests(&server, &CSocketMaster::ConnectionRequest);
  test::Fd client = test::connectTo(server.LocalPort());
  ASSERT_GE(client.fd, 0);
  ASSERT_TRUE(requests.wait(5000));
  const int turnedAway = requests.at(0).at(0).toInt();
  EXPECT_FALSE(modSocketMaster::IsAcceptRegistered(turnedAway));
  EXPECT_FALSE(modSocketMaster::IsSocketRegistered(turnedAway));
  bool open = true;
  QByteArray ignored;
  ASSERT_TRUE(waitUntil([&] { return !(open = test::drain(client.fd, ignored)); }));

  // The listener goes on listening.
  test::Fd second = test::connectTo(server.LocalPort());
  ASSERT_TRUE(requests.wait(5000));
  EXPECT_EQ(server.State(), sckListening);
}

TEST(TcpServer, AcceptRefusesWrongStatesAndForeignSockets) {
  CSocketMaster server;
  listenOnLoopback(server);
  CSocketMaster busy;
  EXPECT_THROW(server.Accept(12345), SocketError);

  // A handle another object owns is not taken over, and not closed by the refused object.
  CSocketMaster other;
  try {
    other.Accept(server.SocketHandle());
    ADD_FAILURE() << "accepted a registered socket";
  } catch (const SocketError &e) {
    EXPECT_EQ(e.Number(), 40006);
    EXPECT_EQ(e.Source(), QStringLiteral("CSocketMaster.Accept"));
  }
  EXPECT_EQ(other.SocketHandle(), -1);
  EXPECT_EQ(server.State(), sckListening);
  EXPECT_EQ(server.SocketHandle() >= 0, true);

  // A handle that is no socket is refused, and the descriptor is left to its owner.
  int pipeEnds[2];
  ASSERT_EQ(::pipe(pipeEnds), 0);
  test::Fd readEnd(pipeEnds[0]), writeEnd(pipeEnds[1]);
  {
    CSocketMaster stray;
    EXPECT_THROW(stray.Accept(readEnd.fd), SocketError);
    EXPECT_EQ(stray.SocketHandle(), -1);
    stray.CloseSck();
  }
  EXPECT_NE(::fcntl(readEnd.fd, F_GETFD), -1) << "the pipe was closed by a refused object";
}

TEST(TcpServer, ClientObjectAgainstServerObject) {
  CSocketMaster server;
  listenOnLoopback(server);
  CSocketMaster accepted;
  QObject::connect(&server, &CSocketMaster::ConnectionRequest, [&](qint32 id) { accepted.Accept(id); });
  CSocketMaster client;
  client.Connect(QStringLiteral("127.0.0.1"), server.LocalPort());
  ASSERT_TRUE(waitUntil([&] { return client.State() == sckConnected && accepted.State() == sckConnected; }));
  EXPECT_EQ(client.RemotePort(), server.LocalPort());
  EXPECT_EQ(accepted.RemotePort(), client.LocalPort());

  QSignalSpy arrived(&client, &CSocketMaster::DataArrival);
  accepted.SendData(qint32(-5));
  ASSERT_TRUE(arrived.wait(5000));
  SocketValue number;
  client.GetData(number, vt::Long);
  EXPECT_EQ(number, SocketValue(qint32(-5)));

  QSignalSpy closed(&accepted, &CSocketMaster::CloseSckEvent);
  client.CloseSck();
  ASSERT_TRUE(closed.wait(5000));
  EXPECT_EQ(accepted.State(), sckClosing);
}

} // namespace
} // namespace lumiqo
