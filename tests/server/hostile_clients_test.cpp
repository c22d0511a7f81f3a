// lumiqo-server against hostile and careless clients: slow and dribbling connections, range
// amplification, oversized requests, a forged Host header, forged log lines, and failures
// inside the server.

#include "server_fixture.h"

#include "base/gbk.h"
#include "byte_range.h"
#include "catalogue/hex_codec.h"
#include "importer.h"
#include "sqlite.h"
#include "stream_validators.h"

#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <regex>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace lumiqo::server::test;
using namespace std::chrono_literals;

namespace {

const std::string kEnd = "Host: 127.0.0.1\r\nConnection: close\r\n\r\n";

std::string numberedHeaders(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i)
    lines += "X-Line-" + std::to_string(i) + ": 1\r\n";
  return lines;
}

// A catalogue of the given songs (generated tones) and catalogue.ini, in `dir`.
std::string makeCatalogue(const QTemporaryDir &dir, const QStringList &songs, const QByteArray &ini) {
  const QString root = dir.path() + QStringLiteral("/music");
  for (const QString &song : songs) {
    if (!makeAudio(root + QLatin1Char('/') + song + QStringLiteral(".mp3"), song, QStringLiteral("刀郎")))
      return {};
  }
  writeFile(root + QStringLiteral("/catalogue.ini"), ini);
  const std::string db = (dir.path() + QStringLiteral("/c.db")).toStdString();
  importFolder(root.toStdString(), db);
  return db;
}

std::vector<QString> titles(const std::string &listBody) {
  std::vector<QString> out;
  for (const QString &line :
       fromGbk(QByteArray::fromStdString(listBody)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
    out.push_back(line.section(QLatin1Char(','), 0, 0));
  return out;
}

class HostileClients : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    db_ = new std::string(makeCatalogue(*dir_, {QStringLiteral("晨光")}, "[start]\n晨光.mp3\n"));
    ASSERT_FALSE(db_->empty());
    QFile file(dir_->path() + QStringLiteral("/music/晨光.mp3"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    song_ = new std::string(file.readAll().toStdString());
    const CatalogueStore store(*db_);
    streamPath_ = new std::string(store.translate(store.list(0).at(0).link)->streamPath);

    ServiceOptions options;
    options.cookieDomain = "auth.lumiqo.test";
    // Long enough that no slow connection of these tests is cut off for being slow.
    options.limits.headerTimeout = 60s;
    server_ = new RunningServer(*db_, options);
  }
  static void TearDownTestSuite() {
    delete server_;
    delete streamPath_;
    delete song_;
    delete db_;
    delete dir_;
  }

  static int port() { return server_->port(); }

  std::string streamRequest(const std::string &range) const {
    const std::string tflag = StreamToken::tflagFor(std::time(nullptr));
    return "GET /" + *streamPath_ + "?tflag=" + tflag + "&pin=" + server_->service().token().pinFor(tflag) +
           " HTTP/1.1\r\nRange: " + range + "\r\n" + kEnd;
  }

  // The log line holding `needle`, once it is written (after the reply has gone out).
  static std::string logLineWith(const std::string &needle) {
    for (int i = 0; i < 500; ++i) {
      for (const std::string &line : server_->logLines()) {
        if (line.find(needle) != std::string::npos)
          return line;
      }
      std::this_thread::sleep_for(10ms);
    }
    return {};
  }

  static QTemporaryDir *dir_;
  static std::string *db_;
  static std::string *song_;
  static std::string *streamPath_;
  static RunningServer *server_;
};

QTemporaryDir *HostileClients::dir_ = nullptr;
std::string *HostileClients::db_ = nullptr;
std::string *HostileClients::song_ = nullptr;
std::string *HostileClients::streamPath_ = nullptr;
RunningServer *HostileClients::server_ = nullptr;

TEST_F(HostileClients, SlowConnectionsLeaveOthersServed) {
  // Far more connections than request threads, each sending its header a line at a time
  // for longer than the normal client below waits for its answer.
  std::vector<std::unique_ptr<Connection>> slow;
  for (int i = 0; i < 64; ++i) {
    slow.push_back(std::make_unique<Connection>(port()));
    slow.back()->send("GET /soft/mlist0.asp HTTP/1.1\r\nHost: 127.0.0.1\r\n");
  }
  std::atomic<bool> answered = false;
  std::thread dribbler([&] {
    for (int round = 0; round < 40 && !answered; ++round) {
      for (auto &connection : slow)
        connection->send("X-Slow: 1\r\n");
      std::this_thread::sleep_for(200ms);
    }
  });
  const RawReply reply = parseReply(rawExchange(port(), "GET /soft/mlist0.asp HTTP/1.1\r\n" + kEnd));
  answered = true;
  dribbler.join();
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(titles(reply.body), std::vector<QString>{QStringLiteral("晨光")});
}

TEST_F(HostileClients, AHeaderThatTakesTooLongIsCutOff) {
  ServiceOptions options;
  options.limits.headerTimeout = 500ms;
  RunningServer quick(*db_, options);
  Connection dribbling(quick.port());
  ASSERT_TRUE(dribbling.send("GET /soft/mlist0.asp HTTP/1.1\r\n"));
  // A line every 100 ms keeps the connection busy, but the header never ends.
  bool closed = false;
  for (int i = 0; i < 100 && !closed; ++i) {
    dribbling.send("X-Slow: 1\r\n");
    closed = dribbling.closedByServer(100);
  }
  EXPECT_TRUE(closed);
  EXPECT_EQ(parseReply(rawExchange(quick.port(), "GET /soft/mlist0.asp HTTP/1.1\r\n" + kEnd)).status, 200);
}

TEST_F(HostileClients, OversizedRequestsAreRefused) {
  const auto status = [](const std::string &request) {
    return parseReply(rawExchange(port(), request)).status;
  };
  EXPECT_EQ(status("GET /soft/mlist0.asp?pad=" + std::string(9000, 'a') + " HTTP/1.1\r\n" + kEnd), 414);
  EXPECT_EQ(status("GET /soft/mlist0.asp HTTP/1.1\r\n" + numberedHeaders(101) + kEnd), 431);
  EXPECT_EQ(status("GET /soft/mlist0.asp HTTP/1.1\r\nX-Big: " + std::string(9000, 'b') + "\r\n" + kEnd), 431);
  // Just within the bounds.
  EXPECT_EQ(status("GET /soft/mlist0.asp?pad=" + std::string(7000, 'a') + " HTTP/1.1\r\n" +
                   numberedHeaders(90) + kEnd),
            200);

  // The address lookup takes no body, in either framing; without one it answers.
  EXPECT_EQ(status("POST /soft/ip.asp HTTP/1.1\r\nContent-Length: 5\r\n" + kEnd + "hello"), 413);
  EXPECT_EQ(status("POST /soft/ip.asp HTTP/1.1\r\nTransfer-Encoding: chunked\r\n" + kEnd +
                   "5\r\nhello\r\n0\r\n\r\n"),
            413);
  const RawReply lookup =
      parseReply(rawExchange(port(), "POST /soft/ip.asp HTTP/1.1\r\nContent-Length: 0\r\n" + kEnd));
  EXPECT_EQ(lookup.status, 200);
  EXPECT_EQ(lookup.body, "127.0.0.1");
}

TEST_F(HostileClients, RangesServeOneRangeAtMost) {
  const std::string size = std::to_string(song_->size());
  // The whole file named 700 times: one copy of it.
  std::string many = "bytes=0-";
  for (int i = 0; i < 699; ++i)
    many += ",0-";
  const RawReply whole = parseReply(rawExchange(port(), streamRequest(many)));
  EXPECT_EQ(whole.status, 200);
  EXPECT_EQ(whole.header("Content-Length"), size);
  EXPECT_TRUE(whole.body == *song_);

  // A start at the end: nothing to send, and the size in Content-Range.
  const RawReply past = parseReply(rawExchange(port(), streamRequest("bytes=" + size + "-")));
  EXPECT_EQ(past.status, 416);
  EXPECT_EQ(past.header("Content-Range"), "bytes */" + size);
  EXPECT_EQ(past.header("Content-Length"), std::to_string(past.body.size()));

  // A last byte past the end is cut to the end.
  const RawReply tail = parseReply(rawExchange(port(), streamRequest("bytes=100-99999999")));
  EXPECT_EQ(tail.status, 206);
  EXPECT_EQ(tail.header("Content-Range"), "bytes 100-" + std::to_string(song_->size() - 1) + "/" + size);
  EXPECT_EQ(tail.header("Content-Length"), std::to_string(song_->size() - 100));
  EXPECT_TRUE(tail.body == song_->substr(100));
}

TEST_F(HostileClients, RequestsTheHttpRulesForbidAreRefused) {
  const auto status = [](const std::string &request) {
    return parseReply(rawExchange(port(), request)).status;
  };
  const std::string get = "GET /soft/mlist0.asp HTTP/1.1\r\n";
  const std::string close = "Connection: close\r\n\r\n";
  EXPECT_EQ(status(get + "Host: 127.0.0.1\r\n" + close), 200);
  EXPECT_EQ(status(get + close), 400);                                               // HTTP/1.1 without Host
  EXPECT_EQ(status("GET /soft/mlist0.asp HTTP/1.0\r\n" + close), 200);               // HTTP/1.0 needs none
  EXPECT_EQ(status(get + "Host: 127.0.0.1\r\nhost: evil.example\r\n" + close), 400); // two
  EXPECT_EQ(status(get + "Host : 127.0.0.1\r\n" + close), 400); // white space before a colon
  EXPECT_EQ(status(get + "Host: 127.0.0.1\r\nX-Forwarded-For : 10.0.0.1\r\n" + close), 400);
  EXPECT_EQ(status(get + "Host: 127.0.0.1\r\nX-Forwarded-For\t: 10.0.0.1\r\n" + close), 400);
  // Two lengths: whichever a proxy in front believes, the rest would be read as a second
  // request. One refusal, and nothing answers the smuggled request.
  const std::string smuggled = "GET /soft/mlist1.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n" + close;
  const std::string twoLengths = rawExchange(
      port(), "POST /soft/ip.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nContent-Length: " +
                  std::to_string(smuggled.size()) + "\r\n\r\n" + smuggled);
  EXPECT_EQ(parseReply(twoLengths).status, 400);
  EXPECT_EQ(twoLengths.find("HTTP/1.1", 1), std::string::npos) << twoLengths;
  // The same length twice says nothing different.
  EXPECT_EQ(
      status("POST /soft/ip.asp HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nContent-Length: 0\r\n" +
             close),
      200);
}

TEST_F(HostileClients, IfRangeServesAPartOnlyOfTheFileTheClientHasPartOf) {
  // Modified an hour ago: its date is a validator as good as its tag.
  const QString file = dir_->path() + QStringLiteral("/music/晨光.mp3");
  const timespec anHourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.toLocal8Bit().constData(), anHourAgo, 0), 0);
  const RawReply whole = parseReply(rawExchange(port(), streamRequest("bytes=0-")));
  ASSERT_EQ(whole.status, 206);
  const std::string etag = whole.header("ETag");
  const std::string modified = whole.header("Last-Modified");
  ASSERT_FALSE(etag.empty());
  ASSERT_FALSE(modified.empty());
  EXPECT_EQ(modified, httpDate(anHourAgo[1].tv_sec));

  const auto resume = [&](const std::string &validator) {
    return parseReply(rawExchange(port(), streamRequest("bytes=100-\r\nIf-Range: " + validator)));
  };
  for (const std::string &same : {etag, modified}) {
    const RawReply part = resume(same);
    EXPECT_EQ(part.status, 206) << same;
    EXPECT_TRUE(part.body == song_->substr(100)) << same;
  }
  // A validator of another file, or of another version of it: the whole file.
  for (const std::string &stale : {std::string("\"4-5-6\""), "W/" + etag, httpDate(std::time(nullptr) - 7200),
                                   std::string("not a validator")}) {
    const RawReply full = resume(stale);
    EXPECT_EQ(full.status, 200) << stale;
    EXPECT_EQ(full.header("ETag"), etag);
    EXPECT_TRUE(full.body == *song_) << stale;
  }
  // The file changes: the tag the client holds no longer names it.
  const timespec now[2] = {{0, UTIME_NOW}, {0, UTIME_NOW}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.toLocal8Bit().constData(), now, 0), 0);
  EXPECT_EQ(resume(etag).status, 200);
}

TEST(RangeHeader, OneRangeOrTheWholeFile) {
  using K = ByteRange::Kind;
  struct Case {
    const char *header;
    K kind;
    std::uint64_t first, length;
  };
  const Case cases[] = {
      {"", K::Whole, 0, 0},
      {"bytes=0-99", K::Part, 0, 100},
      {"Bytes=10-", K::Part, 10, 990},
      {"bytes=-50", K::Part, 950, 50},
      {"bytes=-5000", K::Part, 0, 1000},
      {"bytes=999-999", K::Part, 999, 1},
      {"bytes=1000-", K::Unsatisfiable, 0, 0},
      {"bytes=99999999999999999999999-", K::Unsatisfiable, 0, 0},
      {"bytes=-0", K::Unsatisfiable, 0, 0},
      {"bytes=0-0,5-9", K::Whole, 0, 0},
      {"bytes=20-10", K::Whole, 0, 0},
      {"bytes=a-b", K::Whole, 0, 0},
      {"bytes=--5", K::Whole, 0, 0},
      {"bytes=5", K::Whole, 0, 0},
      {"items=0-5", K::Whole, 0, 0},
  };
  for (const Case &c : cases) {
    const ByteRange r = parseByteRange(c.header, 1000);
    EXPECT_EQ(r.kind, c.kind) << c.header;
    if (c.kind == K::Part) {
      EXPECT_EQ(r.first, c.first) << c.header;
      EXPECT_EQ(r.length, c.length) << c.header;
    }
  }
  EXPECT_EQ(parseByteRange("bytes=-5", 0).kind, K::Unsatisfiable); // an empty file has no last bytes
}

TEST_F(HostileClients, CookieDomainComesFromTheConfigurationNotTheRequest) {
  const RawReply reply = parseReply(rawExchange(
      port(), "GET /getuuauthcode/ HTTP/1.1\r\nHost: evil.example; secure; domain=evil.example\r\n"
              "Cookie: uuauth=qv;\r\nConnection: close\r\n\r\n"));
  ASSERT_EQ(reply.status, 200);
  int cookies = 0;
  for (const auto &[name, value] : reply.headers) {
    if (name != "Set-Cookie")
      continue;
    ++cookies;
    EXPECT_TRUE(value.ends_with("; domain=auth.lumiqo.test; path=/")) << value;
    EXPECT_EQ(value.find("evil"), std::string::npos) << value;
  }
  EXPECT_EQ(cookies, 2);
}

TEST_F(HostileClients, AccessLogEscapesThePathAndTimesEachRequestFromItsArrival) {
  rawExchange(port(), "GET /soft/mlist0.asp%0aGET%20/forged%20200%201%200.01 HTTP/1.1\r\n" + kEnd);
  const std::string forged = logLineWith("forged");
  EXPECT_EQ(forged.find('\n'), std::string::npos) << forged;
  EXPECT_NE(forged.find("/soft/mlist0.asp\\x0aGET\\x20/forged"), std::string::npos) << forged;

  // Requests refused before they reach a page are timed from their own arrival: never
  // longer than their client waited, whatever the requests before them took.
  for (const std::string &request : {"GET /refused-431 HTTP/1.1\r\n" + numberedHeaders(101) + kEnd,
                                     "GET /refused-malformed HTTP/1.1\r\nNo colon here\r\n" + kEnd}) {
    rawExchange(port(), "GET /soft/mlist0.asp HTTP/1.1\r\n" + kEnd);
    std::this_thread::sleep_for(300ms);
    const auto sent = std::chrono::steady_clock::now();
    rawExchange(port(), request);
    const double waited =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - sent).count();
    const std::string marker = request.substr(4, request.find(' ', 4) - 4);
    const std::string line = logLineWith(marker);
    std::smatch ms;
    ASSERT_TRUE(std::regex_search(line, ms, std::regex(marker + R"( (\d+|-) \d+ (\d+\.\d\d)$)"))) << line;
    EXPECT_LE(std::stod(ms[2]), waited + 0.01) << line;
  }
}

TEST(ServerFailures, StayInTheServersLogAndTheClientGetsAPlainText) {
  QTemporaryDir dir;
  const std::string db = makeCatalogue(dir, {QStringLiteral("晨光")}, "[start]\n晨光.mp3\n");
  ASSERT_FALSE(db.empty());
  RunningServer server(db);
  // The catalogue breaks under the running server.
  Database(db, Database::Mode::ReadWrite).exec("DROP TABLE lyric_files");

  const RawReply reply =
      parseReply(rawExchange(server.port(), "GET /downlrc.jsp?tGroupid=1 HTTP/1.1\r\n" + kEnd));
  EXPECT_EQ(reply.status, 500);
  EXPECT_EQ(reply.body, "internal error\n");
  bool logged = false;
  for (int i = 0; i < 500 && !logged; ++i) {
    for (const std::string &line : server.logLines())
      logged = logged || (line.starts_with("error: GET /downlrc.jsp: ") &&
                          line.find("no such table: lyric_files") != std::string::npos);
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(logged);
  // Serving goes on.
  EXPECT_EQ(parseReply(rawExchange(server.port(), "GET /soft/mlist0.asp HTTP/1.1\r\n" + kEnd)).status, 200);
}

TEST(CachedReplies, FollowAnImportWhileServing) {
  QTemporaryDir dir;
  const std::string db =
      makeCatalogue(dir, {QStringLiteral("甲"), QStringLiteral("乙")}, "[start]\n甲.mp3\n乙.mp3\n");
  ASSERT_FALSE(db.empty());
  RunningServer server(db);
  const auto get = [&](const std::string &target) {
    return parseReply(rawExchange(server.port(), "GET " + target + " HTTP/1.1\r\n" + kEnd)).body;
  };
  const std::string link = CatalogueStore(db).list(0).at(0).link;
  const auto lyrics = [&] {
    return HexDecodeText(QString::fromStdString(get("/soft/01.asp?ss=" + link)).section(',', 1));
  };
  for (int twice = 0; twice < 2; ++twice) {
    EXPECT_EQ(titles(get("/soft/mlist0.asp")),
              (std::vector<QString>{QStringLiteral("甲"), QStringLiteral("乙")}));
    EXPECT_EQ(lyrics(), QStringLiteral("[00:00.00]127.0.0.1:8764"));
  }

  const QString root = dir.path() + QStringLiteral("/music");
  writeFile(root + QStringLiteral("/catalogue.ini"), QStringLiteral("[start]\n乙.mp3\n丙.flac\n").toUtf8());
  writeFile(root + QStringLiteral("/甲.lrc"), QStringLiteral("[00:01.00]新词\n").toUtf8());
  ASSERT_TRUE(makeAudio(root + QStringLiteral("/丙.flac"), QStringLiteral("丙"), QStringLiteral("刀郎")));
  importFolder(root.toStdString(), db);
  // The server notices the import within a moment.
  for (int i = 0; i < 500 && titles(get("/soft/mlist0.asp")).size() != 2; ++i)
    std::this_thread::sleep_for(10ms);
  EXPECT_EQ(titles(get("/soft/mlist0.asp")),
            (std::vector<QString>{QStringLiteral("乙"), QStringLiteral("丙")}));
  EXPECT_EQ(lyrics(), QStringLiteral("[00:01.00]新词\r\n"));
  // The new song streams.
  const std::string flac = CatalogueStore(db).translate(CatalogueStore(db).list(0).at(1).link)->streamPath;
  const std::string tflag = StreamToken::tflagFor(std::time(nullptr));
  const RawReply stream = parseReply(rawExchange(
      server.port(), "GET /" + flac + "?tflag=" + tflag + "&pin=" + server.service().token().pinFor(tflag) +
                         " HTTP/1.1\r\n" + kEnd));
  EXPECT_EQ(stream.status, 200);
  EXPECT_EQ(stream.header("Content-Type"), "audio/flac");
}

} // namespace
