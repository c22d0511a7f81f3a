#include "app/instance/instance_channel.h"

#include <QFileInfo>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <gtest/gtest.h>

#include <QThread>
#include <atomic>
#include <cstring>
#include <latch>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace lumiqo;

namespace {

class InstanceChannel : public ::testing::Test {
protected:
  QTemporaryDir dir;
  QString name() const { return dir.path() + QStringLiteral("/Lumiqo|FormDDE.test"); }
};

// A socket file nobody listens on, as a crashed instance leaves it.
void leaveStaleSocket(const QString &path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray bytes = path.toLocal8Bit();
  ASSERT_LT(bytes.size(), static_cast<qsizetype>(sizeof addr.sun_path));
  std::memcpy(addr.sun_path, bytes.constData(), bytes.size());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr), 0);
  ::close(fd);
}

} // namespace

TEST(InstanceChannelName, CarriesTheUserIdAndLivesInAFolderOfTheUser) {
  const QString mine = channelName();
  EXPECT_EQ(mine, channelName(::getuid()));
  EXPECT_TRUE(mine.endsWith(QStringLiteral("/Lumiqo|FormDDE.") + QString::number(::getuid())))
      << mine.toStdString();
  EXPECT_NE(channelName(::getuid() + 1), mine);
  const QString folder = QFileInfo(mine).absolutePath();
  EXPECT_TRUE(QFileInfo(folder).ownerId() == ::getuid() || folder == QStringLiteral("/tmp"))
      << folder.toStdString();
}

TEST_F(InstanceChannel, SecondInstanceHandsItsTextOverWhole) {
  SingleInstance first(name());
  ASSERT_TRUE(first.claim());
  ASSERT_TRUE(first.isListening());
  QSignalSpy received(&first, &SingleInstance::LinkExecute);
  first.releaseHeldLinks();

  SingleInstance second(name());
  EXPECT_FALSE(second.claim());
  EXPECT_FALSE(second.isListening());

  QString text = QStringLiteral("qorvex://zembrol=d6d0_6364_中文链接/");
  text += QString(40000, QLatin1Char('x')); // larger than one read
  ASSERT_TRUE(SendToRunning(text, name()));
  ASSERT_TRUE(received.wait(5000));
  ASSERT_EQ(received.count(), 1);
  EXPECT_EQ(received.at(0).at(0).toString(), text);

  ASSERT_TRUE(SendToRunning(QStringLiteral("second"), name()));
  ASSERT_TRUE(received.wait(5000));
  EXPECT_EQ(received.at(1).at(0).toString(), QStringLiteral("second"));
}

TEST_F(InstanceChannel, MessagesBeforeTheReleaseAreHeldAndDeliveredInOrder) {
  SingleInstance first(name());
  ASSERT_TRUE(first.claim());
  QSignalSpy received(&first, &SingleInstance::LinkExecute);
  for (const char *text : {"one", "two", "three"}) {
    ASSERT_TRUE(SendToRunning(QString::fromLatin1(text), name()));
    const qsizetype held = first.heldLinks().size();
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.heldLinks().size() > held; }, 5000));
  }
  EXPECT_EQ(received.count(), 0);

  first.releaseHeldLinks();
  ASSERT_EQ(received.count(), 3);
  EXPECT_EQ(received.at(0).at(0).toString(), QStringLiteral("one"));
  EXPECT_EQ(received.at(2).at(0).toString(), QStringLiteral("three"));
  EXPECT_TRUE(first.heldLinks().isEmpty());
  ASSERT_TRUE(SendToRunning(QStringLiteral("four"), name()));
  ASSERT_TRUE(received.wait(5000));
  EXPECT_EQ(received.at(3).at(0).toString(), QStringLiteral("four"));
}

TEST_F(InstanceChannel, AMessageWrittenInPiecesArrivesAsOne) {
  SingleInstance first(name());
  ASSERT_TRUE(first.claim());
  QSignalSpy received(&first, &SingleInstance::LinkExecute);
  first.releaseHeldLinks();

  QLocalSocket client;
  client.connectToServer(name());
  ASSERT_TRUE(client.waitForConnected(2000));
  const QByteArray payload = QStringLiteral("6162_6364_piece").toUtf8();
  QByteArray header(4, '\0');
  qToBigEndian(static_cast<quint32>(payload.size()), header.data());
  client.write(header + payload.left(5));
  client.flush();
  EXPECT_FALSE(received.wait(200)); // incomplete: nothing yet
  client.write(payload.mid(5));
  client.flush();
  ASSERT_TRUE(received.wait(5000));
  EXPECT_EQ(received.at(0).at(0).toString(), QStringLiteral("6162_6364_piece"));
}

TEST_F(InstanceChannel, ALeftoverChannelOfACrashedInstanceIsTakenOver) {
  leaveStaleSocket(name());
  ASSERT_TRUE(QFileInfo::exists(name()));
  EXPECT_FALSE(SendToRunning(QStringLiteral("x"), name()));

  SingleInstance first(name());
  EXPECT_TRUE(first.claim());
  EXPECT_TRUE(first.isListening());
  QSignalSpy received(&first, &SingleInstance::LinkExecute);
  first.releaseHeldLinks();
  ASSERT_TRUE(SendToRunning(QStringLiteral("after the crash"), name()));
  ASSERT_TRUE(received.wait(5000));
  EXPECT_EQ(received.at(0).at(0).toString(), QStringLiteral("after the crash"));
}

// Starts at the same moment take turns: exactly one takes the channel, in every round, with
// or without a channel left behind by a crashed instance.
TEST_F(InstanceChannel, OfManySimultaneousStartsExactlyOneTakesTheChannel) {
  constexpr int kStarts = 12;
  constexpr int kRounds = 20;
  for (int round = 0; round < kRounds; ++round) {
    if (round % 2 == 1)
      leaveStaleSocket(name());
    std::latch ready(kStarts);
    std::latch claimed(kStarts + 1);
    std::latch done(1);
    std::atomic<int> first{0};
    std::vector<std::unique_ptr<QThread>> starts;
    for (int i = 0; i < kStarts; ++i) {
      starts.emplace_back(QThread::create([&] {
        SingleInstance instance(name());
        ready.arrive_and_wait();
        if (instance.claim() && instance.isListening())
          ++first;
        claimed.count_down();
        done.wait(); // every instance stays until all have claimed and been counted
      }));
      starts.back()->start();
    }
    claimed.arrive_and_wait();
    EXPECT_EQ(first.load(), 1) << "round " << round;
    done.count_down();
    for (auto &start : starts)
      ASSERT_TRUE(start->wait(10000));
  }
}

TEST_F(InstanceChannel, OversizedMessagesAreRefusedAtBothEnds) {
  SingleInstance first(name());
  ASSERT_TRUE(first.claim());
  QSignalSpy received(&first, &SingleInstance::LinkExecute);
  first.releaseHeldLinks();

  EXPECT_FALSE(SendToRunning(QString(kMaxHandOverBytes + 1, QLatin1Char('a')), name()));

  // A sender that announces a megabyte is cut off at once.
  QLocalSocket client;
  client.connectToServer(name());
  ASSERT_TRUE(client.waitForConnected(2000));
  QSignalSpy closed(&client, &QLocalSocket::disconnected);
  QByteArray header(4, '\0');
  qToBigEndian(static_cast<quint32>(1024 * 1024), header.data());
  client.write(header + QByteArray(1000, 'a'));
  client.flush();
  EXPECT_TRUE(closed.wait(5000));
  EXPECT_EQ(received.count(), 0);

  // The channel still serves the next sender.
  ASSERT_TRUE(SendToRunning(QStringLiteral("still here"), name()));
  ASSERT_TRUE(received.wait(5000));
  EXPECT_EQ(received.at(0).at(0).toString(), QStringLiteral("still here"));
}

TEST_F(InstanceChannel, NobodyListeningMakesTheHandOverFailQuietly) {
  EXPECT_FALSE(SendToRunning(QStringLiteral("x"), name()));
}
