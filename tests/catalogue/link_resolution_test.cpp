// The link resolution end to end on loopback: a raw authorisation peer (written here, so it
// can do what a real server never does: split its reply, leave out the header end, garble
// the cookies) and a catalogue server for the translation and the listener's address.
#include "catalogue/link_resolution.h"

#include "base/gbk.h"
#include "base/lyrics_bounds.h"
#include "catalogue/hex_codec.h"
#include "support/http_server.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>

#include "net/winsocks.h"
#include "support/std_text.h"

using namespace lumiqo;
using lumiqo::test::s;

namespace {

// Runs the event loop until `done` holds; false when it does not within the time-out.
template <typename Pred> bool waitUntil(Pred done, int timeoutMs = 10000) {
  QDeadlineTimer deadline(timeoutMs);
  while (!done()) {
    if (deadline.hasExpired())
      return false;
    QTest::qWait(10);
  }
  return true;
}

const QByteArray kPin = "0123456789abcdef0123456789ABCDEF";
const QByteArray kTflag = "1234567890";

QByteArray cookieReply(const QByteArray &pinName = "pin", const QByteArray &pin = kPin,
                       const QByteArray &tflag = kTflag) {
  return "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n"
         "Set-Cookie: " +
         pinName + "=" + pin +
         "; domain=auth; path=/\r\n"
         "Set-Cookie: tflag=" +
         tflag + "; domain=auth; path=/\r\n\r\n";
}

// The authorisation peer: reads each request up to its empty line, then writes the reply
// pieces 50 ms apart and, when asked, closes.
class AuthPeer : public QObject {
public:
  QByteArray request; // the last one
  std::vector<QByteArray> pieces;
  bool closeAfter = true;
  int connections = 0;

  AuthPeer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket *peer = server_.nextPendingConnection()) {
        ++connections;
        request.clear();
        connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
        connect(peer, &QTcpSocket::readyRead, peer, [this, peer] {
          const bool had = request.contains("\r\n\r\n");
          request += peer->readAll();
          if (!had && request.contains("\r\n\r\n"))
            writePiece(peer, 0);
        });
      }
    });
  }
  quint16 port() const { return server_.serverPort(); }

private:
  void writePiece(QTcpSocket *peer, size_t i) {
    if (i < pieces.size()) {
      peer->write(pieces[i]);
      peer->flush();
      QTimer::singleShot(50, peer, [this, peer, i] { writePiece(peer, i + 1); });
    } else if (closeAfter) {
      peer->disconnectFromHost();
    }
  }
  QTcpServer server_;
};

class FakeHost : public LinkResolutionHost {
public:
  QString song = QStringLiteral("21z/song-1.mp3");
  QString page = QStringLiteral("01.asp");
  QString sockReply;
  int musicNext = 0;
  QStringList list1;
  QStringList stored;
  QString mp3, wma;

  QString cur_song() const override { return song; }
  QString page_name() const override { return page; }
  void set_page_name(const QString &name) override { page = name; }
  void set_sock_reply(const QString &reply) override { sockReply = reply; }
  void enable_music_next() override { ++musicNext; }
  void setList1(const QStringList &lines) override { list1 = lines; }
  void savelrc(QString &lyrics) override { stored << lyrics; }
  void PlayUrlStream(const QString &address) override { mp3 = address; }
  void PlayWmaStream(const QString &address) override { wma = address; }
};

class LinkResolutionTest : public ::testing::Test {
protected:
  AuthPeer auth;
  test::HttpServer catalogue;
  FakeHost host;
  Winsocks Winsock1;
  std::mutex mutex;
  std::vector<std::string> targets;          // every request target, as received
  std::vector<std::string> translationLinks; // the "ss" values, decoded
  std::string translation;
  std::atomic<int> ipRequests{0};

  void SetUp() override {
    catalogue.server().Get(R"(/soft/0[12]\.asp)",
                           [this](const httplib::Request &req, httplib::Response &res) {
                             std::lock_guard lock(mutex);
                             translationLinks.push_back(req.get_param_value("ss"));
                             res.set_content(translation, "text/plain");
                           });
    catalogue.server().Post("/soft/ip.asp", [this](const httplib::Request &, httplib::Response &res) {
      ++ipRequests;
      res.set_content(" 10.0.0.7 \r\n", "text/plain");
    });
    // The logger sees every request, those the server refuses as malformed too.
    catalogue.server().set_logger([this](const httplib::Request &req, const httplib::Response &) {
      std::lock_guard lock(mutex);
      targets.push_back(req.target);
    });
    catalogue.start();
    qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(catalogue.authority()));
    qputenv("LUMIQO_AUTH_HOST", "127.0.0.1:" + QByteArray::number(auth.port()));
    qputenv("LUMIQO_STREAM_HOST_W", "w.example");
    qputenv("LUMIQO_STREAM_HOST_O", "o.example");
    Winsock1.setRemoteHost(QStringLiteral("127.0.0.1"));
    Winsock1.setRemotePort(auth.port());
    setTranslation(QStringLiteral("21z/song.mp3"), QStringLiteral("[00:01.00]one[00:02.00]two"));
  }
  void TearDown() override {
    catalogue.stop(); // its handlers write into the members below
    for (const char *name :
         {"LUMIQO_CATALOGUE_HOST", "LUMIQO_AUTH_HOST", "LUMIQO_STREAM_HOST_W", "LUMIQO_STREAM_HOST_O"})
      qunsetenv(name);
  }

  void setTranslation(const QString &path, const QString &lyrics) {
    translation = (HexEncodeText(path) + QLatin1Char(',') + HexEncodeText(lyrics)).toStdString();
  }

  // Starts a row and lets the exchange run until the reply has been handed to the host
  // (the translation and the address lookup run inside that step).
  void resolve(LinkResolution &resolution) {
    resolution.start();
    ASSERT_TRUE(waitUntil([&] { return !host.sockReply.isEmpty(); }));
    EXPECT_FALSE(resolution.Timer1.isActive());
  }
  size_t translations() {
    std::lock_guard lock(mutex);
    return translationLinks.size();
  }
};

} // namespace

TEST_F(LinkResolutionTest, ResolvesAndPlaysWithTheRequestByteForByte) {
  auth.pieces = {cookieReply()};
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);

  EXPECT_EQ(auth.request.toStdString(),
            s(authRequest(QStringLiteral("127.0.0.1:") + QString::number(auth.port()))));
  EXPECT_EQ(host.musicNext, 1);
  EXPECT_EQ(s(resolution.pin_cookie), kPin.toStdString());
  EXPECT_EQ(s(resolution.tflag_cookie), kTflag.toStdString());
  ASSERT_EQ(translations(), 1u);
  EXPECT_EQ(translationLinks[0], "21z/song-1.mp3");
  EXPECT_EQ(ipRequests, 1);
  EXPECT_EQ(s(host.mp3), "http://w.example/21z/song.mp3?tflag=" + kTflag.toStdString() +
                             "&pin=" + kPin.toStdString() + "&ip=10.0.0.7");
  EXPECT_TRUE(host.wma.isEmpty());
  ASSERT_EQ(host.stored.size(), 1);
  EXPECT_EQ(s(host.stored[0]), "[00:01.00]one\r\n[00:02.00]two");
  EXPECT_EQ(host.list1, QStringList({"[00:01.00]one", "[00:02.00]two"}));
}

TEST_F(LinkResolutionTest, AReplyInTwoPiecesIsReadWhole) {
  const QByteArray reply = cookieReply();
  const qsizetype cut = reply.indexOf("tflag=") + 3; // inside the second cookie
  auth.pieces = {reply.left(cut), reply.mid(cut)};
  auth.closeAfter = false; // the header end alone completes the reply
  LinkResolution resolution(Winsock1, host);
  resolution.start();
  ASSERT_TRUE(waitUntil([&] { return !host.mp3.isEmpty(); }));
  EXPECT_EQ(s(resolution.tflag_cookie), kTflag.toStdString());
}

TEST_F(LinkResolutionTest, AReplyWithoutItsHeaderEndIsReadWhenThePeerCloses) {
  QByteArray reply = cookieReply();
  reply.chop(2);
  auth.pieces = {reply.left(20), reply.mid(20)};
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_FALSE(host.mp3.isEmpty());
}

// A peer that keeps sending header lines and never ends them, nor closes, is not read
// without end: once the reply is far longer than any header block, it is taken as it stands.
TEST_F(LinkResolutionTest, AnEndlessHeaderIsTakenAsItStands) {
  QByteArray reply = cookieReply();
  reply.chop(2);
  auth.pieces = {reply + "X-Pad: " + QByteArray(LinkResolution::kMaxReplyChars * 4, 'a')};
  auth.closeAfter = false;
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_LT(host.sockReply.size(), LinkResolution::kMaxReplyChars * 2);
  EXPECT_FALSE(host.mp3.isEmpty());
}

// A peer that sends its cookies and then neither ends the header block nor closes: when the
// wait for the rest runs out, the cookies are taken from what has arrived.
TEST_F(LinkResolutionTest, WhenTheReplyTimesOutTheCookiesComeFromWhatArrived) {
  QByteArray reply = cookieReply();
  reply.chop(2);
  auth.pieces = {reply};
  auth.closeAfter = false;
  LinkResolution resolution(Winsock1, host);
  resolution.setReplyTimeout(500);
  resolve(resolution);
  EXPECT_EQ(host.sockReply.toLatin1(), reply);
  EXPECT_EQ(s(resolution.pin_cookie), kPin.toStdString());
  EXPECT_FALSE(host.mp3.isEmpty());
}

TEST_F(LinkResolutionTest, CookieNamesInOtherLetterCaseAreFound) {
  QByteArray reply = cookieReply("PIN");
  reply.replace("Set-Cookie: tflag", "set-cookie: TFLAG").replace("; domain", "; Domain");
  auth.pieces = {reply};
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_FALSE(host.mp3.isEmpty());
}

TEST_F(LinkResolutionTest, CookiesOfOtherLengthsEndTheExchangeBeforeTheTranslation) {
  LinkResolution resolution(Winsock1, host);
  const std::vector<std::pair<QByteArray, QByteArray>> cookies = {
      {kPin, "123456789"}, {kPin, "12345678901"}, {kPin.left(31), kTflag}, {kPin + "0", kTflag}};
  for (const auto &[pin, tflag] : cookies) {
    auth.pieces = {cookieReply("pin", pin, tflag)};
    host.sockReply.clear();
    resolve(resolution);
    EXPECT_FALSE(host.sockReply.isEmpty());
  }
  EXPECT_EQ(auth.connections, 4);
  EXPECT_EQ(translations(), 0u);
  EXPECT_TRUE(host.mp3.isEmpty());
  EXPECT_TRUE(host.stored.isEmpty());
}

TEST_F(LinkResolutionTest, ATranslationWithoutAStreamPathAndLyricsPlaysNothing) {
  auth.pieces = {cookieReply()};
  translation = HexEncodeText(QStringLiteral("21z/song.mp3")).toStdString(); // no ","
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_EQ(translations(), 1u);
  EXPECT_EQ(ipRequests, 0);
  EXPECT_TRUE(host.mp3.isEmpty());
  EXPECT_TRUE(host.stored.isEmpty());
}

TEST_F(LinkResolutionTest, AFailedAddressLookupPlaysNothing) {
  auth.pieces = {cookieReply()};
  LinkResolution resolution(Winsock1, host, {{}, [] { return std::optional<QString>(); }});
  resolve(resolution);
  EXPECT_EQ(translations(), 1u);
  EXPECT_TRUE(host.mp3.isEmpty());
  EXPECT_TRUE(host.stored.isEmpty());
}

// An empty reply is an answer, not a failure: the address carries it as it is.
TEST_F(LinkResolutionTest, AnEmptyAddressReplyStillPlays) {
  auth.pieces = {cookieReply()};
  LinkResolution resolution(Winsock1, host, {{}, [] { return std::optional<QString>(QString()); }});
  resolve(resolution);
  EXPECT_EQ(s(host.mp3), "http://w.example/21z/song.mp3?tflag=" + kTflag.toStdString() +
                             "&pin=" + kPin.toStdString() + "&ip=");
  EXPECT_EQ(host.stored.size(), 1);
}

TEST_F(LinkResolutionTest, ALinkCarryingCrLfNeverReachesTheWireRaw) {
  auth.pieces = {cookieReply()};
  host.song = QStringLiteral("a.mp3\r\nX-Evil: 1\r\n\r\nGET /soft/02.asp HTTP/1.1");
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  // The translation and the address lookup, nothing injected.
  ASSERT_TRUE(waitUntil([&] {
    std::lock_guard lock(mutex);
    return targets.size() >= 2;
  }));
  std::lock_guard lock(mutex);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_EQ(targets[0], "/soft/01.asp?ss=a.mp3%0D%0AX-Evil:%201%0D%0A%0D%0AGET%20/soft/02.asp%20HTTP/1.1");
  ASSERT_EQ(translationLinks.size(), 1u);
  EXPECT_EQ(QString::fromStdString(translationLinks[0]), host.song);
}

TEST_F(LinkResolutionTest, TheServerReadsTheLinkExactlyAsItWas) {
  auth.pieces = {cookieReply()};
  host.song = QStringLiteral("21z/a b#frag%41中.mp3&id=3");
  host.page = QStringLiteral("02.asp");
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  ASSERT_EQ(translations(), 1u);
  // The link's own "&" still separates a parameter, as it always did.
  EXPECT_EQ(fromGbk(QByteArray::fromStdString(translationLinks[0])), QStringLiteral("21z/a b#frag%41中.mp3"));
  EXPECT_FALSE(host.mp3.isEmpty());
}

TEST_F(LinkResolutionTest, OtherPathsGoToHostOAndWmaOpensAsWma) {
  auth.pieces = {cookieReply()};
  setTranslation(QStringLiteral("20z/song.wma"), QStringLiteral("[00:01.00]x"));
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_TRUE(host.mp3.isEmpty());
  EXPECT_EQ(s(host.wma), "http://o.example/20z/song.wma?tflag=" + kTflag.toStdString() +
                             "&pin=" + kPin.toStdString() + "&ip=10.0.0.7");
}

// Lyrics too long to be lyrics are neither shaped nor listed; savelrc, which shows them as
// none, gets them as they came.
TEST_F(LinkResolutionTest, LyricsBeyondTheBoundsAreNotShapedOrListed) {
  auth.pieces = {cookieReply()};
  const QString hostile(kMaxLyricsTags + 1, QLatin1Char('['));
  setTranslation(QStringLiteral("21z/song.mp3"), hostile);
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_TRUE(host.list1.isEmpty());
  EXPECT_EQ(host.stored, QStringList{hostile});
  EXPECT_FALSE(host.mp3.isEmpty());
}

TEST_F(LinkResolutionTest, OtherSongFormatsOpenAsMp3) {
  auth.pieces = {cookieReply()};
  setTranslation(QStringLiteral("21z/song.flac"), QStringLiteral("[00:01.00]x"));
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_TRUE(host.wma.isEmpty());
  EXPECT_EQ(s(host.mp3), "http://w.example/21z/song.flac?tflag=" + kTflag.toStdString() +
                             "&pin=" + kPin.toStdString() + "&ip=10.0.0.7");
}

TEST_F(LinkResolutionTest, NoSongFormatStoresTheLyricsAndPlaysNothing) {
  auth.pieces = {cookieReply()};
  setTranslation(QStringLiteral("21z/song.txt"), QStringLiteral("[00:01.00]x"));
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_TRUE(host.mp3.isEmpty() && host.wma.isEmpty());
  EXPECT_EQ(host.stored, QStringList({"[00:01.00]x"}));
}

TEST_F(LinkResolutionTest, AnUnknownPageNameFallsBackWithoutATranslation) {
  auth.pieces = {cookieReply()};
  host.page = QStringLiteral("1.asp");
  LinkResolution resolution(Winsock1, host);
  resolve(resolution);
  EXPECT_EQ(s(host.page), "01.asp");
  EXPECT_EQ(translations(), 0u);
  EXPECT_TRUE(host.mp3.isEmpty());
}

TEST_F(LinkResolutionTest, ANewRowWhileAReplyIsAwaitedStartsAFreshExchange) {
  auth.closeAfter = false; // the first peer never answers
  LinkResolution resolution(Winsock1, host);
  resolution.start();
  ASSERT_TRUE(waitUntil([&] { return auth.request.contains("\r\n\r\n"); }));

  auth.pieces = {cookieReply()};
  auth.closeAfter = true;
  host.song = QStringLiteral("21z/second.mp3");
  resolution.start();
  ASSERT_TRUE(waitUntil([&] { return !host.mp3.isEmpty(); }));
  EXPECT_EQ(auth.connections, 2);
  EXPECT_EQ(host.musicNext, 2);
  ASSERT_EQ(translations(), 1u);
  EXPECT_EQ(translationLinks[0], "21z/second.mp3");
}
