// The socket control: defaults, persisted values, size, and forwarding both ways.
#include "base/message_box.h"
#include "net/socket_test_util.h"
#include "net/winsocks.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

TEST(Winsocks, BuiltWithoutStoredValuesHasTheDefaults) {
  Winsocks control;
  control.ReadProperties({});
  EXPECT_EQ(control.Protocol(), sckTCPProtocol);
  EXPECT_EQ(control.LocalPort(), 0);
  EXPECT_EQ(control.RemotePort(), 0);
  EXPECT_TRUE(control.RemoteHost().isEmpty());
  EXPECT_TRUE(control.Tag().isEmpty());
  EXPECT_EQ(control.State(), sckClosed);
  QVariantMap bag;
  control.WriteProperties(bag);
  EXPECT_TRUE(bag.isEmpty());
}

TEST(Winsocks, PersistedValuesRoundTripThroughTheProperties) {
  Winsocks saved;
  saved.setRemoteHost(QStringLiteral("auth.example"));
  saved.setRemotePort(80);
  saved.setProtocol(sckUDPProtocol);
  saved.setTag(QStringLiteral("t"));
  QVariantMap bag;
  saved.WriteProperties(bag);
  Winsocks loaded;
  loaded.ReadProperties(bag);
  EXPECT_EQ(loaded.RemoteHost(), QStringLiteral("auth.example"));
  EXPECT_EQ(loaded.RemotePort(), 80);
  EXPECT_EQ(loaded.Protocol(), sckUDPProtocol);
  EXPECT_EQ(loaded.Tag(), QStringLiteral("t"));
  // Values go through the properties' rules.
  Winsocks strict;
  EXPECT_THROW(strict.ReadProperties({{QStringLiteral("RemotePort"), 70000}}), SocketError);
}

TEST(Winsocks, KeepsItsFixedSize) {
  Winsocks control;
  control.resize(100, 50);
  EXPECT_EQ(control.size(), QSize(28, 28));
}

TEST(Winsocks, ConnectWithoutArgumentsUsesThePresetPeerAndForwardsEvents) {
  test::PosixListener listener;
  Winsocks control;
  control.setRemoteHost(QStringLiteral("127.0.0.1"));
  control.setRemotePort(listener.port());
  QSignalSpy connected(&control, &Winsocks::ConnectEvent);
  QSignalSpy arrived(&control, &Winsocks::DataArrival);
  control.Connect();
  test::Fd server = listener.accept();
  ASSERT_TRUE(connected.wait(5000));
  control.SendData(QStringLiteral("GET / HTTP/1.1\r\n\r\n"));
  QByteArray request;
  ASSERT_TRUE(test::waitUntil([&] {
    test::drain(server.fd, request);
    return request.endsWith("\r\n\r\n");
  }));
  test::sendAll(server.fd, "Set-Cookie: pin=1");
  ASSERT_TRUE(arrived.wait(5000));
  SocketValue reply;
  control.GetData(reply, vt::String);
  EXPECT_EQ(reply, SocketValue(QStringLiteral("Set-Cookie: pin=1")));
  control.CloseSck();
  EXPECT_EQ(control.State(), sckClosed);
}

TEST(Winsocks, ClearingCancelDisplayOnTheControlShowsTheBox) {
  std::vector<QString> shown;
  setMessageHandler([&](const MessageRequest &r) { shown.push_back(r.text); });
  Winsocks control;
  int number = 0;
  QObject::connect(
      &control, &Winsocks::Error,
      [&](qint32 n, const QString &, qint32, const QString &, const QString &, qint32, bool &cancel) {
        number = n;
        cancel = false;
      });
  control.Connect(QStringLiteral("127.0.0.1"), test::refusedPort());
  ASSERT_TRUE(test::waitUntil([&] { return number != 0; }));
  setMessageHandler({});
  EXPECT_EQ(number, 10061);
  EXPECT_EQ(shown, std::vector<QString>{QStringLiteral("Connection refused.")});
}

} // namespace
} // namespace lumiqo
