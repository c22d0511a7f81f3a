// The shared dispatch: library start and stop, routing slots, dropped notifications, texts.
#include "net/csocket_master.h"
#include "net/socket_test_util.h"

#include <QHostInfo>
#include <QSignalSpy>
#include <cerrno>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

using namespace modSocketMaster;
using test::waitUntil;

TEST(Dispatch, LibraryStartsWithTheFirstObjectAndStopsWithTheLast) {
  ASSERT_EQ(ObjectCount(), 0);
  EXPECT_FALSE(Started());
  auto first = std::make_unique<CSocketMaster>();
  EXPECT_TRUE(Started());
  auto second = std::make_unique<CSocketMaster>();
  EXPECT_EQ(ObjectCount(), 2);
  first.reset();
  EXPECT_TRUE(Started());
  second.reset();
  EXPECT_FALSE(Started());
  EXPECT_EQ(ObjectCount(), 0);
}

TEST(Dispatch, FreedSlotsAreReusedAndTheWindowLivesWithTheRegistry) {
  CSocketMaster owner;
  EXPECT_FALSE(HasMessageWindow());
  RegisterSocket(900001, &owner, false);
  RegisterSocket(900002, &owner, false);
  RegisterSocket(900002, &owner, false); // not added twice
  EXPECT_TRUE(HasMessageWindow());
  const int slot = SocketTableSlot(900001);
  EXPECT_EQ(SocketTableSlot(900002), slot + 1);
  UnregisterSocket(900001);
  EXPECT_EQ(SocketTableSlot(900001), 0);
  RegisterSocket(900003, &owner, false);
  EXPECT_EQ(SocketTableSlot(900003), slot);
  UnregisterSocket(900003);
  UnregisterSocket(900002);
  UnregisterSocket(900002); // a missing key is ignored
  EXPECT_FALSE(IsSocketRegistered(900002));
  EXPECT_FALSE(HasMessageWindow());
}

TEST(Dispatch, EventForASocketClosedBeforeDeliveryIsDropped) {
  test::PosixListener listener;
  CSocketMaster client;
  QSignalSpy connected(&client, &CSocketMaster::ConnectEvent);
  QSignalSpy closed(&client, &CSocketMaster::CloseSckEvent);
  client.Connect(QStringLiteral("127.0.0.1"), listener.port());
  ASSERT_TRUE(connected.wait(5000));
  const int handle = client.SocketHandle();
  PostMessage(kSocketEvent, static_cast<quintptr>(handle), MakeLParam(FD_CLOSE, 10054));
  client.CloseSck();
  // A new socket of the same object, most likely with the same descriptor number.
  client.Connect(QStringLiteral("127.0.0.1"), listener.port());
  ASSERT_TRUE(connected.wait(5000));
  QCoreApplication::processEvents();
  EXPECT_EQ(client.State(), sckConnected);
  EXPECT_EQ(closed.count(), 0);
}

TEST(Dispatch, CancelledLookupIsIgnored) {
  test::PosixListener listener;
  CSocketMaster client;
  int errors = 0;
  QObject::connect(
      &client, &CSocketMaster::Error,
      [&](qint32, const QString &, qint32, const QString &, const QString &, qint32, bool &) { ++errors; });
  client.Connect(QStringLiteral("localhost"), listener.port());
  ASSERT_EQ(client.State(), sckResolvingHost);
  // A second lookup for the same owner, cancelled; its failure must never arrive.
  const long task =
      StartLookup(QStringLiteral("no-such-host.invalid"), std::make_shared<HostEntry>(), &client);
  ASSERT_NE(task, 0);
  EXPECT_GT(LookupTableSlot(task), 0);
  CancelLookup(task);
  EXPECT_EQ(LookupTableSlot(task), 0);
  PostMessage(kLookupDone, static_cast<quintptr>(task), MakeLParam(0, 11001));
  ASSERT_TRUE(waitUntil([&] { return client.State() == sckConnected; }));
  // Lookups of one name finish together: once this one is back, so is the cancelled one.
  bool sameNameDone = false;
  QHostInfo::lookupHost(QStringLiteral("no-such-host.invalid"), QCoreApplication::instance(),
                        [&](const QHostInfo &) { sameNameDone = true; });
  ASSERT_TRUE(waitUntil([&] { return sameNameDone; }, 15000));
  QCoreApplication::processEvents();
  EXPECT_EQ(errors, 0);
  EXPECT_EQ(client.State(), sckConnected);
}

TEST(Dispatch, ErrorTextsAndTranslations) {
  EXPECT_EQ(GetErrorDescription(10060), QStringLiteral("Connection timed out."));
  EXPECT_EQ(GetErrorDescription(10059), QStringLiteral("Unknown error."));
  EXPECT_EQ(GetErrorDescription(11004), QStringLiteral("Valid name, no data record of requested type."));
  EXPECT_EQ(SocketErrorFromErrno(ECONNREFUSED), 10061);
  EXPECT_EQ(SocketErrorFromErrno(ETIMEDOUT), 10060);
  EXPECT_EQ(SocketErrorFromErrno(EWOULDBLOCK), 10035);
  // An errno without counterpart never borrows the text of another code.
  EXPECT_EQ(GetErrorDescription(SocketErrorFromErrno(ENAMETOOLONG)), QStringLiteral("Unknown error."));
  EXPECT_EQ(HiWord(MakeLParam(32, 10061)), 10061);
  EXPECT_EQ(LoWord(MakeLParam(32, 10061)), 32);
}

} // namespace
} // namespace lumiqo
