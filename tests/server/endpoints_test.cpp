// Every endpoint over loopback HTTP, read back with the player's own codecs.

#include "server_fixture.h"

#include "base/endpoints.h"
#include "base/gbk.h"
#include "catalogue/hex_codec.h"
#include "import_writer.h"
#include "importer.h"

#include <httplib.h>

#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace lumiqo::server::test;

namespace {

QString utf(const std::string &gbkBytes) {
  return fromGbk(QByteArrayView(gbkBytes.data(), gbkBytes.size()));
}

// What the player's list loader sees: records split at CR LF, fields at ",".
std::vector<QStringList> records(const std::string &body) {
  std::vector<QStringList> out;
  for (const QString &line : utf(body).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
    out.push_back(line.split(QLatin1Char(',')));
  return out;
}

class Endpoints : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    const QString root = dir_->path() + QStringLiteral("/music");
    ASSERT_TRUE(makeAudio(root + QStringLiteral("/pop/月光小路.mp3"), QStringLiteral("月光小路"),
                          QStringLiteral("周杰伦"), QStringLiteral("夜曲集")));
    writeFile(root + QStringLiteral("/pop/月光小路.lrc"),
              QStringLiteral("[ti:月光小路]\n[00:01.00]第一行\n[00:02.50]第二行~\n").toUtf8());
    ASSERT_TRUE(makeAudio(root + QStringLiteral("/pop/张学友 - Hello世界.wma"), {}, {}));
    ASSERT_TRUE(makeAudio(root + QStringLiteral("/quiet.mp3"), QStringLiteral("Quiet, Song"),
                          QStringLiteral("无名")));
    writeFile(root + QStringLiteral("/lyrics/雨夜.lrc"),
              toGbk(QStringLiteral("[ti:雨夜]\r\n[ar:刀郎]\r\n[00:03.00]雨一直下\r\n")));
    writeFile(root + QStringLiteral("/catalogue.ini"),
              QStringLiteral("[start]\npop/月光小路.mp3\nquiet.mp3\n[疯狂DJ]\npop/张学友 - Hello世界.wma\n"
                             "失落的歌,刀郎,gone.mp3\n")
                  .toUtf8());
    db_ = new std::string((dir_->path() + QStringLiteral("/catalogue.db")).toStdString());
    importFolder(root.toStdString(), *db_);
    ServiceOptions options;
    options.siteAddress = "www.lumiqo.test";
    options.secret = "test secret";
    options.tokenLifetimeSeconds = 3600;
    server_ = new RunningServer(*db_, options);
  }
  static void TearDownTestSuite() {
    delete server_;
    delete db_;
    delete dir_;
  }

  httplib::Result get(const std::string &path) {
    httplib::Client client("127.0.0.1", server_->port());
    return client.Get(path);
  }

  // The link of the row whose title is given, from the start list or chart 4.
  std::string linkOf(const QString &title) {
    for (const char *list : {"/soft/mlist0.asp", "/soft/mlist4.txt"}) {
      for (const QStringList &row : records(get(list)->body)) {
        if (row[0] == title)
          return row[2].toStdString();
      }
    }
    return {};
  }

  // Field 1 and field 2 of a translation, decoded as the player decodes them.
  std::pair<QString, QString> translate(const std::string &link, const char *page = "01.asp") {
    const auto res = get(std::string("/soft/") + page + "?ss=" + link);
    const QStringList fields = QString::fromStdString(res->body).split(QLatin1Char(','));
    EXPECT_EQ(fields.size(), 2);
    return {HexDecodeText(fields.value(0)), HexDecodeText(fields.value(1))};
  }

  std::string streamUrl(const QString &path, const std::string &tflag, const std::string &pin) {
    return "/" + path.toStdString() + "?tflag=" + tflag + "&pin=" + pin + "&ip=127.0.0.1";
  }

  static QTemporaryDir *dir_;
  static std::string *db_;
  static RunningServer *server_;
};

QTemporaryDir *Endpoints::dir_ = nullptr;
std::string *Endpoints::db_ = nullptr;
RunningServer *Endpoints::server_ = nullptr;

TEST_F(Endpoints, StartListAndChartsAreGbkRecordsWithCrLf) {
  const auto start = get("/soft/mlist0.asp");
  ASSERT_EQ(start->status, 200);
  EXPECT_NE(start->get_header_value("Content-Type").find("GBK"), std::string::npos);
  // The title's own comma became a full-width one, so the record keeps three fields.
  const auto rows = records(start->body);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], (QStringList{QStringLiteral("月光小路"), QStringLiteral("周杰伦"), rows[0][2]}));
  EXPECT_EQ(rows[1][0], QStringLiteral("Quiet， Song"));
  EXPECT_EQ(start->body.substr(start->body.size() - 2), "\r\n");
  const std::string first = toGbk(QStringLiteral("月光小路,周杰伦,lq")).toStdString();
  EXPECT_EQ(first, start->body.substr(0, first.size()));

  // Chart 4 (疯狂DJ) by its menu name in catalogue.ini; the file name gave artist and title.
  const auto chart = records(get("/soft/mlist4.txt")->body);
  ASSERT_EQ(chart.size(), 2u);
  EXPECT_EQ(chart[0][0], QStringLiteral("Hello世界"));
  EXPECT_EQ(chart[0][1], QStringLiteral("张学友"));
  EXPECT_EQ(chart[1][0], QStringLiteral("失落的歌"));
  EXPECT_EQ(get("/soft/mlist1.txt")->body, "");
  EXPECT_EQ(get("/soft/mlist1.txt")->status, 200);
  EXPECT_EQ(get("/soft/mlist9.txt")->status, 404);
}

TEST_F(Endpoints, LinksCarryNeitherUnderscoreNorSlash) {
  for (const char *list : {"/soft/mlist0.asp", "/soft/mlist4.txt"}) {
    for (const QStringList &row : records(get(list)->body))
      EXPECT_TRUE(std::regex_match(row[2].toStdString(), std::regex("[A-Za-z0-9]+"))) << row[2].toStdString();
  }
  for (int i = 0; i < 2000; ++i) {
    const std::string link =
        songLink("folder_" + std::to_string(i) + "/a_b/" + std::to_string(i * 7) + ".mp3");
    ASSERT_TRUE(std::regex_match(link, std::regex("[A-Za-z0-9]+"))) << link;
  }
}

TEST_F(Endpoints, ArtistPageAndSearchTakeHexEncodedGbkTerms) {
  const std::string artist = HexEncodeTerm(QStringLiteral("周杰伦")).toStdString();
  const auto rows = records(get("/soft/mlist_so.asp?gs=" + artist)->body);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], QStringLiteral("月光小路"));

  // Title search by an ASCII word in other letter case, keyword search through the album.
  const auto byTitle =
      records(get("/soft/mlist_soso.asp?gs=" + HexEncodeTerm(u"HELLO").toStdString() + "&t=0")->body);
  ASSERT_EQ(byTitle.size(), 1u);
  EXPECT_EQ(byTitle[0][1], QStringLiteral("张学友"));
  const auto byAlbum =
      records(get("/soft/mlist_soso.asp?gs=" + HexEncodeTerm(u"夜曲集").toStdString() + "&t=2")->body);
  ASSERT_EQ(byAlbum.size(), 1u);
  EXPECT_TRUE(records(get("/soft/mlist_soso.asp?gs=" + HexEncodeTerm(u"夜曲集").toStdString() + "&t=0")->body)
                  .empty());
}

TEST_F(Endpoints, BadCatalogueRequestsGetClearClientErrors) {
  EXPECT_EQ(get("/soft/mlist_so.asp")->status, 400);
  EXPECT_EQ(get("/soft/mlist_so.asp?gs=zz")->status, 400);
  EXPECT_EQ(get("/soft/mlist_so.asp?gs=d6d")->status, 400); // a lead byte without its trail
  EXPECT_EQ(get("/soft/mlist_soso.asp?gs=6162&t=3")->status, 400);
  EXPECT_EQ(get("/soft/mlist_soso.asp?gs=6162")->status, 400);
  EXPECT_EQ(get("/soft/01.asp")->status, 400);
  EXPECT_EQ(get("/soft/01.asp?ss=nosuchlink")->status, 404);
  EXPECT_EQ(get("/soft/03.asp?ss=x")->status, 404);
  EXPECT_EQ(get("/no/such/page")->status, 404);
  EXPECT_EQ(get("/downlrc.jsp?tGroupid=12abc")->status, 400);
  EXPECT_EQ(get("/downlrc.jsp?tGroupid=999999")->status, 404);
  // Still serving after all of that.
  EXPECT_EQ(get("/soft/mlist0.asp")->status, 200);
}

TEST_F(Endpoints, TranslationGivesStreamPathAndLyricsAsThePlayerDecodesThem) {
  const std::string link = linkOf(QStringLiteral("月光小路"));
  ASSERT_FALSE(link.empty());
  const auto [path, lyrics] = translate(link);
  EXPECT_TRUE(path.endsWith(QLatin1String(".mp3"))) << path.toStdString();
  EXPECT_FALSE(path.startsWith(QLatin1Char('/')));
  // Line ends travel as "|#|" and come back as CR LF; "~" survives as its full-width form.
  EXPECT_EQ(lyrics, QStringLiteral("[ti:月光小路]\r\n[00:01.00]第一行\r\n[00:02.50]第二行～\r\n"));
  EXPECT_EQ(translate(link, "02.asp"), translate(link, "01.asp"));

  // The song without lyrics carries the site line; the WMA's path names a .wma.
  EXPECT_EQ(translate(linkOf(QStringLiteral("Quiet， Song"))).second,
            QStringLiteral("[00:00.00]www.lumiqo.test"));
  EXPECT_TRUE(translate(linkOf(QStringLiteral("Hello世界"))).first.endsWith(QLatin1String(".wma")));
}

TEST_F(Endpoints, IpPageAnswersTheCallersAddress) {
  httplib::Client client("127.0.0.1", server_->port());
  const auto res = client.Post("/soft/ip.asp");
  ASSERT_TRUE(res);
  EXPECT_EQ(QString::fromStdString(res->body).trimmed(), QStringLiteral("127.0.0.1"));
}

TEST_F(Endpoints, AuthorisationAnswersThePlayersRequestWithBothCookies) {
  const std::string host = "127.0.0.1";
  const std::string request = "GET /getuuauthcode/ HTTP/1.1\r\nReferer: http://" + host +
                              "/\r\nHost: " + host +
                              "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
                              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1;)\r\n"
                              "Cookie: uuauth=" +
                              std::string(kAuthCookieValue) +
                              ";\r\nPragma: no-cache\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
  const std::string reply = rawExchange(server_->port(), request);
  std::smatch pin, tflag;
  ASSERT_TRUE(
      std::regex_search(reply, pin, std::regex("\r\nSet-Cookie: pin=([0-9a-f]{32}); domain=127\\.0\\.0\\.1")))
      << reply;
  ASSERT_TRUE(std::regex_search(reply, tflag,
                                std::regex("\r\nSet-Cookie: tflag=([0-9]{10}); domain=127\\.0\\.0\\.1")))
      << reply;
  EXPECT_LE(std::abs(std::stoll(tflag[1]) - static_cast<long long>(std::time(nullptr))), 5);
  EXPECT_EQ(pin[1], server_->service().token().pinFor(tflag[1]));

  // Without the cookie, or with another value: refused, and no cookie at all.
  for (const std::string cookie : {"", "Cookie: uuauth=xx;\r\n", "Cookie: other=qv;\r\n"}) {
    const std::string refused =
        rawExchange(server_->port(), "GET /getuuauthcode/ HTTP/1.1\r\nHost: 127.0.0.1\r\n" + cookie +
                                         "Connection: close\r\n\r\n");
    EXPECT_EQ(refused.rfind("HTTP/1.1 403", 0), 0u) << refused;
    EXPECT_EQ(refused.find("Set-Cookie"), std::string::npos);
  }
}

TEST_F(Endpoints, StreamsNeedAFreshGenuinePinAndHonourRanges) {
  const QString path = translate(linkOf(QStringLiteral("月光小路"))).first;
  QFile file(dir_->path() + QStringLiteral("/music/pop/月光小路.mp3"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::string bytes = file.readAll().toStdString();

  const StreamToken &token = server_->service().token();
  const std::string tflag = StreamToken::tflagFor(std::time(nullptr));
  const auto whole = get(streamUrl(path, tflag, token.pinFor(tflag)));
  ASSERT_EQ(whole->status, 200);
  EXPECT_EQ(whole->body, bytes);
  EXPECT_EQ(whole->get_header_value("Content-Type"), "audio/mpeg");

  httplib::Client client("127.0.0.1", server_->port());
  const auto part = client.Get(streamUrl(path, tflag, token.pinFor(tflag)), {{"Range", "bytes=100-199"}});
  ASSERT_EQ(part->status, 206);
  EXPECT_EQ(part->body, bytes.substr(100, 100));
  const auto tail = client.Get(streamUrl(path, tflag, token.pinFor(tflag)), {{"Range", "bytes=-50"}});
  EXPECT_EQ(tail->body, bytes.substr(bytes.size() - 50));

  // Forged: a pin of another secret, a pin for another tflag, no pin at all.
  const StreamToken other("another secret", 3600);
  EXPECT_EQ(get(streamUrl(path, tflag, other.pinFor(tflag)))->status, 403);
  const std::string later = StreamToken::tflagFor(std::time(nullptr) - 1);
  EXPECT_EQ(get(streamUrl(path, later, token.pinFor(tflag)))->status, 403);
  EXPECT_EQ(get("/" + path.toStdString())->status, 403);
  // Expired: issued two hours ago under a one-hour lifetime, though genuinely signed.
  const std::string old = StreamToken::tflagFor(std::time(nullptr) - 7200);
  EXPECT_EQ(get(streamUrl(path, old, token.pinFor(old)))->status, 403);

  // A known song whose file is gone, and a path nobody issued.
  const QString gone = translate(linkOf(QStringLiteral("失落的歌"))).first;
  EXPECT_EQ(get(streamUrl(gone, tflag, token.pinFor(tflag)))->status, 404);
  EXPECT_EQ(get(streamUrl(QStringLiteral("19z/nothing.mp3"), tflag, token.pinFor(tflag)))->status, 404);
}

TEST_F(Endpoints, StreamPathsSpreadOverBothHosts) {
  // Host W serves paths with "19z/" or "21z/"; host O the others. Both kinds are issued.
  int w = 0, o = 0;
  for (int i = 0; i < 60; ++i) {
    const std::string path = streamPathFor(songLink("song" + std::to_string(i) + ".mp3"), ".mp3");
    (path.find("19z/") != std::string::npos || path.find("21z/") != std::string::npos ? w : o)++;
  }
  EXPECT_GT(w, 10);
  EXPECT_GT(o, 10);
}

TEST_F(Endpoints, LyricsSearchFindsTheCaptionAndServesLrcWithHeadersFromLineTwo) {
  // The player sends its caption text "歌名:TITLE  歌手:ARTIST", percent-encoded GBK.
  const std::string query = percentEncode(toGbk(QStringLiteral("歌名:雨夜  歌手:刀郎")));
  const auto page = get("/gecisearch.so?pf=&as=&st=&ac=1&query=" + query + "&class=5&p=40030200&dp=1");
  ASSERT_EQ(page->status, 200);
  const QString html = utf(page->body);
  const QString start = QStringLiteral("<br><a href=\"downlrc.jsp?tGroupid=");
  const qsizetype a = html.indexOf(start);
  ASSERT_GE(a, 0) << html.toStdString();
  const qsizetype b = html.indexOf(QStringLiteral("\">LRC歌词下载</a>"), a);
  ASSERT_GT(b, a);
  const QString link = html.mid(a, b - a).mid(13);
  EXPECT_TRUE(link.startsWith(QLatin1String("downlrc.jsp?tGroupid=")));
  EXPECT_EQ(html.count(start), 1);

  const auto lrc = get("/" + link.toStdString());
  ASSERT_EQ(lrc->status, 200);
  const QString text = utf(lrc->body);
  const QStringList lines = text.split(QStringLiteral("\r\n"));
  EXPECT_FALSE(lines[0].contains(QLatin1Char('[')));
  EXPECT_GE(text.indexOf(QLatin1String("[ti:")), 1);
  EXPECT_TRUE(lines.contains(QStringLiteral("[ti:雨夜]")));
  EXPECT_TRUE(lines.contains(QStringLiteral("[ar:刀郎]")));
  EXPECT_TRUE(lines.contains(QStringLiteral("[00:03.00]雨一直下")));
  EXPECT_EQ(text.count(QLatin1String("[ti:")), 1);

  // A song with sidecar lyrics is found too; an unknown name finds nothing.
  const auto known =
      get("/gecisearch.so?query=" + percentEncode(toGbk(QStringLiteral("歌名:月光小路  歌手:周杰伦"))));
  EXPECT_EQ(utf(known->body).count(start), 1);
  const auto none =
      get("/gecisearch.so?query=" + percentEncode(toGbk(QStringLiteral("歌名:无此歌  歌手:刀郎"))));
  EXPECT_EQ(utf(none->body).count(start), 0);
  EXPECT_EQ(none->status, 200);
}

TEST_F(Endpoints, SitePagesAndAccessLog) {
  const std::pair<const char *, QString> pages[] = {{"/", QStringLiteral("在线音乐")},
                                                    {"/qq/", QStringLiteral("兴趣QQ群")},
                                                    {"/aboutus/", QStringLiteral("关于我们")},
                                                    {"/bbs/", QStringLiteral("论坛")}};
  for (const auto &[path, words] : pages) {
    const auto res = get(path);
    ASSERT_EQ(res->status, 200) << path;
    EXPECT_NE(QString::fromStdString(res->body).indexOf(words), -1) << path;
  }
  get("/soft/mlist0.asp?x=1");
  // The line is written once the response has gone out, and lines of parallel requests may
  // come in any order: wait for this one.
  std::string line;
  for (int i = 0; i < 500 && line.empty(); ++i) {
    for (const std::string &l : server_->logLines()) {
      if (l.find("mlist0") != std::string::npos)
        line = l;
    }
    if (line.empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // Method, path, status, bytes, milliseconds.
  EXPECT_TRUE(std::regex_match(line, std::regex(R"(GET /soft/mlist0\.asp 200 \d+ \d+\.\d\d)"))) << line;
}

} // namespace
