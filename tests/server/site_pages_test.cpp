// The site's catalogue pages as a browser gets them and as the player reads their links:
// every play link, handed to the player's own link reader, gives back the song it stands
// beside; catalogue texts arrive escaped; long lists come in pages; the search form finds
// what the catalogue holds.

#include "server_fixture.h"

#include "app/instance/handed_link.h"
#include "base/gbk.h"
#include "catalogue_pages.h"
#include "importer.h"
#include "site_pages.h"

#include <httplib.h>

#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace lumiqo::server::test;

namespace {

// Titles a tag or a catalogue file could carry, each hostile to a page or a link in its way.
const QStringList kHostileTitles = {
    QStringLiteral("<script>alert(\"x\")</script>"), QStringLiteral("Tom & Jerry's \"Best\" %1%2"),
    QStringLiteral("AC/DC_live"), QStringLiteral("浪~花 </td></tr>"), QStringLiteral("月光小路")};

struct Song {
  QString title, artist, link;
};

// Every song row of a page: the texts of its title and artist cells, unescaped, and its link.
std::vector<Song> songRows(const QString &html) {
  static const QRegularExpression row(QStringLiteral(
      "<tr><td class=\"n\">\\d+</td><td id=\"song\\d+\">([^<]*)</td><td>([^<]*)</td>"
      "<td>(?:<a class=\"play\" href=\"([^\"]*)\"[^>]*>在 Lumiqo 中播放</a>|<span[^>]*>[^<]*</span>)"
      "</td></tr>"));
  const auto unescape = [](QString text) {
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
  };
  std::vector<Song> out;
  for (auto it = row.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    out.push_back({unescape(m.captured(1)), unescape(m.captured(2)), m.captured(3)});
  }
  return out;
}

class SitePages : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    const QString root = dir_->path() + QStringLiteral("/music");
    ASSERT_TRUE(
        makeAudio(root + QStringLiteral("/walk.mp3"), QStringLiteral("月光小路"), QStringLiteral("周杰伦")));
    // Songs described by hand (their files may be missing): the hostile titles in the start
    // list, and a chart long enough for three pages.
    QString ini = QStringLiteral("[start]\nwalk.mp3\n");
    for (int i = 0; i < kHostileTitles.size() - 1; ++i)
      ini += QStringLiteral("%1,歌手<%2>,h/%2.mp3\n").arg(kHostileTitles[i], QString::number(i));
    ini += QStringLiteral("[疯狂DJ]\n");
    for (int i = 1; i <= 120; ++i)
      ini += QStringLiteral("舞曲 %1,夜店乐队,dj/%1.mp3\n").arg(i);
    writeFile(root + QStringLiteral("/catalogue.ini"), ini.toUtf8());
    db_ = new std::string((dir_->path() + QStringLiteral("/catalogue.db")).toStdString());
    importFolder(root.toStdString(), *db_);
    server_ = new RunningServer(*db_);
  }
  static void TearDownTestSuite() {
    delete server_;
    delete db_;
    delete dir_;
  }

  httplib::Result get(const std::string &path) {
    httplib::Client client("127.0.0.1", server_->port());
    client.set_url_encode(false); // the tests encode their queries themselves, "+" for blanks
    return client.Get(path);
  }
  QString page(const std::string &path, int status = 200) {
    const auto res = get(path);
    EXPECT_TRUE(res) << path;
    if (!res)
      return {};
    EXPECT_EQ(res->status, status) << path;
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8") << path;
    return QString::fromStdString(res->body);
  }
  // The links of a list as the player's list loader gets them, by title.
  std::map<QString, QString> playerLinks(const std::string &listPath) {
    std::map<QString, QString> out;
    const auto res = get(listPath);
    const QString text = fromGbk(QByteArrayView(res->body.data(), static_cast<qsizetype>(res->body.size())));
    for (const QString &line : text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
      out[line.section(QLatin1Char(','), 0, 0)] = line.section(QLatin1Char(','), 2, 2);
    return out;
  }

  static QTemporaryDir *dir_;
  static std::string *db_;
  static RunningServer *server_;
};

QTemporaryDir *SitePages::dir_ = nullptr;
std::string *SitePages::db_ = nullptr;
RunningServer *SitePages::server_ = nullptr;

TEST_F(SitePages, EveryPlayLinkHandsThePlayerTheSongItStandsBeside) {
  const QString html = page("/songs/");
  // Nothing of a title became markup.
  EXPECT_FALSE(html.contains(QLatin1String("<script"))) << html.toStdString();
  EXPECT_FALSE(html.contains(QLatin1String("</td></tr> "))) << html.toStdString();
  EXPECT_TRUE(html.contains(QLatin1String("&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;")));

  const std::vector<Song> rows = songRows(html);
  const std::map<QString, QString> links = playerLinks("/soft/mlist0.asp");
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kHostileTitles.size())) << html.toStdString();
  QStringList titles;
  for (const Song &row : rows) {
    titles << row.title;
    SCOPED_TRACE(row.title.toStdString());
    ASSERT_TRUE(row.link.startsWith(QLatin1String("qorvex://zembrol="))) << row.link.toStdString();
    const auto handed = parseHandedLink(row.link);
    ASSERT_TRUE(handed.has_value()) << row.link.toStdString();
    // The catalogue's codec sends "~" as its full-width form; everything else comes back whole.
    EXPECT_EQ(handed->title, QString(row.title).replace(QLatin1Char('~'), QChar(0xFF5E)));
    EXPECT_EQ(handed->artist, row.artist);
    // The link is the one the player's own list carries for that row; a trailing "/" only.
    EXPECT_EQ(handed->link, links.at(row.title));
    EXPECT_TRUE(row.link.endsWith(handed->link + QLatin1Char('/')));
  }
  QStringList expected = kHostileTitles;
  expected.move(expected.size() - 1, 0); // the song from its tags comes first in the list
  EXPECT_EQ(titles, expected);
}

TEST_F(SitePages, SongsThatCannotBeHandedOverIntactGetNoLink) {
  const std::string bad[] = {"", "a/b", "a_b", "a b", "lq\"x", std::string(300, 'a')};
  for (const std::string &link : bad)
    EXPECT_TRUE(playLink({"t", "a", link}).isEmpty()) << link;
  EXPECT_EQ(playLink({"ab", "", "lq12AB"}), QStringLiteral("qorvex://zembrol=6162__lq12AB/"));
  // A title so long that the player would ignore the whole command text.
  EXPECT_TRUE(playLink({std::string(9000, 'x'), "a", "lq1"}).isEmpty());

  const QString html = songListHtml({{"t<", "a", "a/b"}, {"u", "b", "lq1"}}, 1);
  const std::vector<Song> rows = songRows(html);
  ASSERT_EQ(rows.size(), 2u) << html.toStdString();
  EXPECT_TRUE(rows[0].link.isEmpty());
  EXPECT_TRUE(html.contains(QStringLiteral("暂不能播放")));
  EXPECT_EQ(rows[1].link, QStringLiteral("qorvex://zembrol=75_62_lq1/"));
}

TEST_F(SitePages, ChartsComeInPagesOfFifty) {
  const auto ids = [](const QString &html) {
    std::vector<Song> rows = songRows(html);
    return rows.empty() ? QString() : rows.front().title + QLatin1Char('-') + rows.back().title;
  };
  const QString first = page("/songs/chart/4/");
  EXPECT_TRUE(first.contains(QStringLiteral("<h1>疯狂DJ</h1>")));
  EXPECT_TRUE(first.contains(QStringLiteral("共 120 首")));
  EXPECT_EQ(ids(first), QStringLiteral("舞曲 1-舞曲 50"));
  EXPECT_TRUE(first.contains(QStringLiteral("<a rel=\"next\" href=\"?p=2\">")));
  EXPECT_FALSE(first.contains(QStringLiteral("rel=\"prev\"")));
  EXPECT_TRUE(first.contains(QStringLiteral("第 1 / 3 页")));

  const QString last = page("/songs/chart/4/?p=3");
  EXPECT_EQ(ids(last), QStringLiteral("舞曲 101-舞曲 120"));
  EXPECT_TRUE(last.contains(QStringLiteral("<a rel=\"prev\" href=\"?p=2\">")));
  EXPECT_FALSE(last.contains(QStringLiteral("rel=\"next\"")));
  // Pages beyond the end show the last one; anything not a page number, the first.
  EXPECT_EQ(ids(page("/songs/chart/4/?p=99")), ids(last));
  for (const char *p : {"0", "-1", "x", "99999999999999"})
    EXPECT_EQ(ids(page(std::string("/songs/chart/4/?p=") + p)), ids(first)) << p;

  // A chart the catalogue leaves empty says so; there are eight charts, no ninth.
  EXPECT_TRUE(page("/songs/chart/8/").contains(QStringLiteral("这里还没有歌曲")));
  EXPECT_TRUE(page("/songs/chart/9/", 404).contains(QStringLiteral("没有这个页面")));
  EXPECT_TRUE(page("/songs/chart/", 404).contains(QStringLiteral("没有这个页面")));
}

TEST_F(SitePages, SearchFindsByTitleArtistOrKeywordAndPagesKeepTheSearch) {
  const auto search = [&](const QString &term, const char *field, int status = 200) {
    return page("/songs/search/?t=" + std::string(field) +
                    "&q=" + QUrl::toPercentEncoding(term).toStdString(),
                status);
  };
  const auto titles = [](const QString &html) {
    QStringList out;
    for (const Song &row : songRows(html))
      out << row.title;
    return out;
  };
  EXPECT_EQ(titles(search(QStringLiteral("月光"), "0")), QStringList{QStringLiteral("月光小路")});
  EXPECT_EQ(titles(search(QStringLiteral("周杰伦"), "1")), QStringList{QStringLiteral("月光小路")});
  EXPECT_EQ(titles(search(QStringLiteral("周杰伦"), "0")), QStringList{});
  EXPECT_TRUE(search(QStringLiteral("周杰伦"), "0").contains(QStringLiteral("没有找到歌曲")));

  // 120 songs by one band: three pages, and the next page is the same search.
  const QString band = search(QStringLiteral("夜店乐队"), "2");
  EXPECT_TRUE(band.contains(QStringLiteral("共 120 首")));
  EXPECT_EQ(titles(band).size(), 50);
  const QRegularExpressionMatch next =
      QRegularExpression(QStringLiteral("<a rel=\"next\" href=\"\\?([^\"]*)\">")).match(band);
  ASSERT_TRUE(next.hasMatch()) << band.toStdString();
  const QString query = QString(next.captured(1)).replace(QLatin1String("&amp;"), QLatin1String("&"));
  const QString second = page("/songs/search/?" + query.toStdString());
  EXPECT_TRUE(second.contains(QStringLiteral("<tr><td class=\"n\">51</td>"))) << second.toStdString();
  EXPECT_EQ(titles(second).size(), 50);
  for (const QString &title : titles(second))
    EXPECT_FALSE(titles(band).contains(title)) << title.toStdString();
  EXPECT_TRUE(second.contains(QStringLiteral("value=\"夜店乐队\"")));
  EXPECT_TRUE(second.contains(QStringLiteral("value=\"2\" checked")));

  // The form shows what was asked, escaped; a form sent with "+" for blanks is understood.
  const QString hostile = search(QStringLiteral("\"><script>x</script>"), "0");
  EXPECT_FALSE(hostile.contains(QLatin1String("<script"))) << hostile.toStdString();
  EXPECT_TRUE(hostile.contains(QLatin1String("value=\"&quot;&gt;&lt;script&gt;x&lt;/script&gt;\"")));
  EXPECT_TRUE(
      page("/songs/search/?t=0&q=%E8%88%9E%E6%9B%B2+12").contains(QStringLiteral("value=\"舞曲 12\"")));

  // Like the player's search box, one character searches nothing; the empty form is a form.
  const QString one = search(QStringLiteral("月"), "0");
  EXPECT_TRUE(titles(one).isEmpty());
  EXPECT_TRUE(one.contains(QStringLiteral("请至少输入两个字")));
  EXPECT_TRUE(page("/songs/search/").contains(QStringLiteral("<form class=\"search\"")));
  // Bad requests say what is wrong.
  EXPECT_TRUE(page("/songs/search/?t=0&q=%FF%FE", 400).contains(QStringLiteral("UTF-8")));
  EXPECT_TRUE(
      search(QStringLiteral("月光"), "7", 400).contains(QStringLiteral("只能按歌名、歌手或关键字搜索")));
  EXPECT_TRUE(search(QString(101, QLatin1Char('x')), "0", 400).contains(QStringLiteral("太长")));
}

TEST_F(SitePages, EveryPageIsUtf8HtmlThatRunsNothingAndLinksToTheLists) {
  for (const char *path :
       {"/", "/qq/", "/aboutus/", "/bbs/", "/songs/", "/songs", "/songs/chart/1/", "/songs/search/"}) {
    const auto res = get(path);
    ASSERT_TRUE(res) << path;
    EXPECT_EQ(res->status, 200) << path;
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=utf-8") << path;
    EXPECT_EQ(res->get_header_value("Content-Security-Policy").rfind("default-src 'none';", 0), 0u) << path;
    const QString html = QString::fromStdString(res->body);
    EXPECT_TRUE(html.contains(QLatin1String("<meta charset=\"utf-8\">"))) << path;
    for (int chart = 1; chart <= 8; ++chart)
      EXPECT_TRUE(html.contains(QStringLiteral("href=\"%1\"").arg(chartPath(chart)))) << path;
    EXPECT_TRUE(html.contains(QLatin1String("href=\"/songs/\""))) << path;
    EXPECT_TRUE(html.contains(QLatin1String("href=\"/songs/search/\""))) << path;
  }
  EXPECT_TRUE(page("/songs/").contains(QLatin1String("<a href=\"/songs/\" aria-current=\"page\">")));
  const auto style = get("/site.css");
  ASSERT_TRUE(style);
  EXPECT_EQ(style->status, 200);
  EXPECT_EQ(style->get_header_value("Content-Type"), "text/css; charset=utf-8");
  EXPECT_NE(style->body.find("a.play"), std::string::npos);
}

} // namespace
