// Lyrics search and hand-over against a loopback lyrics-search server.
#include "lyrics/downlrc.h"
#include "lyrics/lrc_show.h"
#include "lyrics/lyrics_handover.h"
#include "lyrics/lyrics_texts.h"

#include "base/app_folder.h"
#include "base/gbk.h"
#include "base/lyrics_bounds.h"
#include "support/http_server.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

std::string gbk(const QString &text) {
  return toGbk(text).toStdString();
}

std::string link(int group) {
  return gbk(QStringLiteral("<br><a href=\"downlrc.jsp?tGroupid=%1\">LRC歌词下载</a>").arg(group));
}

QByteArray readAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class LyricsSearchTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    setAppFolderForTesting(folder.path());
    auto &s = server.server();
    s.Get("/gecisearch.so", [this](const httplib::Request &req, httplib::Response &res) {
      ++searches;
      query = req.get_param_value("query");
      target = req.target;
      const std::string page = pages.count(query) ? pages[query] : std::string("<html>nothing</html>");
      res.set_content(page, "text/html");
    });
    s.Get("/downlrc.jsp", [this](const httplib::Request &req, httplib::Response &res) {
      const std::string group = req.get_param_value("tGroupid");
      downloads.push_back(group);
      if (group == "1")
        res.set_content(gbk(QStringLiteral("[ti:无名]\r\n[00:01.00]没有别的标签\r\n")), "text/plain");
      else if (group == "2")
        res.set_content(gbk(QStringLiteral("[00:00.00]\r\n[ar:歌手]\r\n[00:01.00]找到了\r\n")), "text/plain");
      else
        res.status = 404;
    });
    server.start();
    qputenv("LUMIQO_LYRICS_HOST", QByteArray::fromStdString(server.authority()));
    qputenv("LUMIQO_SITE_HOST", "site.test");
  }
  void TearDown() override {
    qunsetenv("LUMIQO_LYRICS_HOST");
    qunsetenv("LUMIQO_SITE_HOST");
    setAppFolderForTesting(QString());
  }

  QTemporaryDir folder;
  test::HttpServer server;
  std::map<std::string, std::string> pages;
  std::vector<std::string> downloads;
  std::string query, target;
  int searches = 0;
};

TEST_F(LyricsSearchTest, FirstFileWithoutHeaderIsDeletedAndTheSecondKept) {
  pages[gbk(QStringLiteral("晴天 周杰伦"))] = "<p>" + link(1) + "\r\n" + link(2) + "</p>";
  const QString destination = folder.filePath(QStringLiteral("found.lrc"));
  ASSERT_TRUE(downlrc::FindLrc(QStringLiteral("晴天 周杰伦"), destination));
  EXPECT_EQ(downloads, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(fromGbk(readAll(destination)), QStringLiteral("[00:00.00]\r\n[ar:歌手]\r\n[00:01.00]找到了\r\n"));
  // The name travels as percent-encoded GBK bytes; the search page is gone afterwards.
  EXPECT_NE(target.find("query=%C7%E7%CC%EC%20%D6%DC%BD%DC%C2%D7&class=5"), std::string::npos) << target;
  EXPECT_FALSE(QFile::exists(downlrc::SearchScratchFile()));
}

TEST_F(LyricsSearchTest, PageWithoutLinksOrFailedDownloadFindsNothing) {
  const QString destination = folder.filePath(QStringLiteral("found.lrc"));
  writeFile(destination, "old");
  EXPECT_FALSE(downlrc::FindLrc(QStringLiteral("nothing"), destination));
  pages["broken"] = link(3);
  EXPECT_FALSE(downlrc::FindLrc(QStringLiteral("broken"), destination));
  EXPECT_EQ(readAll(destination), QByteArray("old"));
  EXPECT_EQ(searches, 2);
  EXPECT_EQ(downloads, (std::vector<std::string>{"3"}));
}

TEST_F(LyricsSearchTest, StaleSearchPageIsNotReadWhenTheSearchFails) {
  writeFile(downlrc::SearchScratchFile(), QByteArray::fromStdString(link(2)));
  qputenv("LUMIQO_LYRICS_HOST", "127.0.0.1:1"); // nothing listens there
  EXPECT_FALSE(downlrc::FindLrc(QStringLiteral("x"), folder.filePath(QStringLiteral("found.lrc"))));
  EXPECT_TRUE(downloads.empty());
}

TEST_F(LyricsSearchTest, CheckLrcWantsAHeaderTagAfterTheFirstCharacter) {
  const QString path = folder.filePath(QStringLiteral("check.lrc"));
  writeFile(path, "[ti:only at the start]\r\n[00:01.00]x");
  EXPECT_FALSE(downlrc::CheckLrc(path));
  EXPECT_FALSE(QFile::exists(path));
  writeFile(path, "[ti:t]\r\n[ar:second line]");
  EXPECT_TRUE(downlrc::CheckLrc(path));
  EXPECT_TRUE(QFile::exists(path));
  EXPECT_FALSE(downlrc::CheckLrc(folder.filePath(QStringLiteral("missing"))));
  // A header tag does not make a file lyrics when it is too long to be any.
  writeFile(path, "[ti:t]\r\n[ar:a]\r\n" + QByteArray(kMaxLyricsFileBytes, 'x'));
  EXPECT_FALSE(downlrc::CheckLrc(path));
  EXPECT_FALSE(QFile::exists(path));
}

class HandoverTest : public LyricsSearchTest {
protected:
  LrcShow view;
  qint16 lrc_shown = 0;
  QString lrc_text;
  QTimer latency;
  std::vector<int> fades;
  std::vector<bool> clock;
  LyricsHandover handover{{[this]() -> LrcShow & { return view; },
                           [] { return QStringLiteral("[歌名]:晴天[歌手]:周杰伦"); },
                           [this] { fades.push_back(1); }, [this] { fades.push_back(-1); },
                           [this](bool on) { clock.push_back(on); }},
                          lrc_shown,
                          lrc_text,
                          &latency};
};

TEST_F(HandoverTest, SavelrcTurnsTheSiteLineIntoTheNoLyricsText) {
  QString gc = QStringLiteral("[00:00.00]site.test");
  handover.savelrc(gc);
  EXPECT_EQ(gc, QStringLiteral("[00:00.00]暂无歌词\r\nsite.test"));
  ASSERT_EQ(view.timeline().lines().size(), 2u);
  EXPECT_EQ(view.timeline().lines()[1].text, QStringLiteral("暂无歌词 site.test"));

  QString empty;
  handover.savelrc(empty); // the lyrics on display stay
  EXPECT_EQ(view.timeline().lines()[1].text, QStringLiteral("暂无歌词 site.test"));
}

TEST_F(HandoverTest, SavelrcTreatsATextBeyondTheBoundsAsNoLyrics) {
  for (QString gc :
       {QString(kMaxLyricsTags + 1, QLatin1Char('[')), QString(kMaxLyricsChars + 1, QLatin1Char('a'))}) {
    handover.savelrc(gc);
    EXPECT_EQ(gc, NoLyricsText());
    ASSERT_EQ(view.timeline().lines().size(), 2u);
  }
}

TEST_F(HandoverTest, Savelrc2StoresFoundLyricsWithTheSourceLine) {
  pages[gbk(QStringLiteral("晴天周杰伦"))] = link(2);
  handover.savelrc2(NotFoundText());
  const QString stored = fromGbk(readAll(downlrc::LyricsScratchFile()));
  EXPECT_TRUE(stored.endsWith(QStringLiteral("\r\n[00:00.00]本歌词来自SOGOU\r\n"))) << stored.toStdString();
  EXPECT_EQ(view.FilePath(), folder.path() + QStringLiteral("/lrc"));
  const auto &lines = view.timeline().lines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const LyricLine &l) {
    return l.time == 0 && l.text == QStringLiteral("本歌词来自SOGOU");
  }));
}

TEST_F(HandoverTest, Savelrc2WritesTheSiteLineWhenNothingIsFoundAndOtherTextsAsTheyAre) {
  handover.savelrc2(SiteLine());
  EXPECT_EQ(readAll(downlrc::LyricsScratchFile()), QByteArray("[00:00.00]site.test\r\n"));
  EXPECT_EQ(view.timeline().lines().size(), 2u);

  handover.savelrc2(QStringLiteral("[00:01.00]歌"));
  EXPECT_EQ(fromGbk(readAll(downlrc::LyricsScratchFile())), QStringLiteral("[00:01.00]歌\r\n"));
  EXPECT_EQ(view.timeline().lines().back().text, QStringLiteral("歌"));
}

TEST_F(HandoverTest, LatencyShowsOrHidesTheWindowByTheLyricsText) {
  latency.start(1000);
  lrc_text = QStringLiteral("[00:01.00]a");
  handover.LatencyTick();
  EXPECT_EQ(lrc_shown, 1);
  EXPECT_TRUE(view.TimerE());
  EXPECT_FALSE(latency.isActive());
  handover.LatencyTick(); // already shown: nothing more
  lrc_text = NoLyricsText();
  handover.LatencyTick();
  EXPECT_EQ(lrc_shown, 0);
  EXPECT_FALSE(view.TimerE());
  EXPECT_EQ(fades, (std::vector<int>{1, -1}));
  EXPECT_EQ(clock, (std::vector<bool>{true, false}));
}

} // namespace
} // namespace lumiqo
