// Datagrams between two objects on 127.0.0.1.
#include "net/csocket_master.h"
#include "net/socket_test_util.h"

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using test::waitUntil;

struct UdpPair {
  CSocketMaster receiver;
  CSocketMaster sender;
  UdpPair() {
    receiver.setProtocol(sckUDPProtocol);
    receiver.Bind(0, QStringLiteral("127.0.0.1"));
    sender.setProtocol(sckUDPProtocol);
    sender.setRemoteHost(QStringLiteral("127.0.0.1"));
    sender.setRemotePort(receiver.LocalPort());
    sender.Bind(0, QStringLiteral("127.0.0.1"));
  }
};

TEST(Udp, DatagramIsReadInTheArrivalHandlerAndNamesItsSender) {
  UdpPair udp;
  ASSERT_EQ(udp.receiver.State(), sckOpen);
  std::vector<QString> texts;
  std::vector<qint32> sizes;
  QObject::connect(&udp.receiver, &CSocketMaster::DataArrival, [&](qint32 size) {
    sizes.push_back(size);
    SocketValue text;
    udp.receiver.GetData(text, vt::String);
    texts.push_back(std::get<QString>(text));
  });
  udp.sender.SendData(QStringLiteral("hello"));
  udp.sender.SendData(QStringLiteral("again"));
  ASSERT_TRUE(waitUntil([&] { return texts.size() == 2; }));
  EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("hello"), QStringLiteral("again")}));
  EXPECT_EQ(sizes, (std::vector<qint32>{5, 5}));
  EXPECT_EQ(udp.receiver.RemotePort(), udp.sender.LocalPort());
  EXPECT_EQ(udp.receiver.RemoteHostIP(), QStringLiteral("127.0.0.1"));
  // Over UDP the remote host may change in any state.
  udp.sender.setRemoteHost(QStringLiteral("localhost"));
  EXPECT_EQ(udp.sender.RemoteHost(), QStringLiteral("localhost"));
}

TEST(Udp, ZeroMaxLenDiscardsTheDatagramWithMessageTooLong) {
  UdpPair udp;
  int number = 0;
  SocketValue data = QByteArray("old");
  qint32 leftAfter = -1;
  QObject::connect(&udp.receiver, &CSocketMaster::DataArrival, [&](qint32) {
    try {
      udp.receiver.GetData(data, vt::ByteArray, 0);
    } catch (const SocketError &e) {
      number = e.Number();
    }
    leftAfter = udp.receiver.BytesReceived();
  });
  udp.sender.SendData(QByteArray("payload"));
  ASSERT_TRUE(waitUntil([&] { return number != 0; }));
  EXPECT_EQ(number, 10040);
  EXPECT_EQ(data, SocketValue(QByteArray()));
  EXPECT_EQ(leftAfter, 0);
}

TEST(Udp, PeekKeepsTheDatagramAndAShortReadReportsTheLoss) {
  UdpPair udp;
  SocketValue peeked, got;
  int number = 0;
  QObject::connect(&udp.receiver, &CSocketMaster::DataArrival, [&](qint32) {
    udp.receiver.PeekData(peeked, vt::String);
    try {
      udp.receiver.GetData(got, vt::String, 3);
    } catch (const SocketError &e) {
      number = e.Number();
    }
  });
  udp.sender.SendData(QStringLiteral("abcdef"));
  ASSERT_TRUE(waitUntil([&] { return number != 0; }));
  EXPECT_EQ(peeked, SocketValue(QStringLiteral("abcdef")));
  EXPECT_EQ(got, SocketValue(QStringLiteral("abc")));
  EXPECT_EQ(number, 10040);
}

TEST(Udp, SendWithoutRemoteHostRaisesAddressFamily) {
  CSocketMaster sender;
  sender.setProtocol(sckUDPProtocol);
  sender.setRemotePort(9);
  try {
    sender.SendData(QStringLiteral("x"));
    ADD_FAILURE() << "sent without a host";
  } catch (const SocketError &e) {
    EXPECT_EQ(e.Number(), 10047);
    EXPECT_EQ(e.Source(), QStringLiteral("CSocketMaster.SendBufferedDataUDP"));
  }
  EXPECT_EQ(sender.State(), sckOpen);
  SocketValue nothing;
  sender.GetData(nothing); // nothing pending: unchanged
  EXPECT_TRUE(std::holds_alternative<std::monostate>(nothing));
}

} // namespace
} // namespace lumiqo
