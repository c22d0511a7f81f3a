// Import of generated audio files: tags, file names, both lyrics encodings, catalogue.ini,
// and importing again.

#include "server_fixture.h"

#include "base/gbk.h"
#include "importer.h"
#include "sqlite.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <map>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace lumiqo::server::test;

namespace {

class Import : public ::testing::Test {
protected:
  void SetUp() override {
    root_ = dir_.path() + QStringLiteral("/music");
    db_ = (dir_.path() + QStringLiteral("/c.db")).toStdString();
  }

  QString at(const QString &rel) const { return root_ + QLatin1Char('/') + rel; }

  ImportReport run() { return importFolder(root_.toStdString(), db_); }

  std::map<std::string, SongRow> songs() { return catalogueSongs(db_); }

  std::vector<std::string> list(int n) {
    CatalogueStore store(db_);
    std::vector<std::string> titles;
    for (const ListRow &row : store.list(n))
      titles.push_back(row.title);
    return titles;
  }

  QTemporaryDir dir_;
  QString root_;
  std::string db_;
};

TEST_F(Import, TagsFileNamesAndBothLyricsEncodings) {
  ASSERT_TRUE(makeAudio(at(QStringLiteral("a/tagged.mp3")), QStringLiteral("晚风Song 1"),
                        QStringLiteral("林俊杰"), QStringLiteral("专辑A")));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("a/window.wma")), QStringLiteral("窗外"), QStringLiteral("李健")));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("b/陈奕迅 - 无名的歌.mp3")), {}, {}));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("b/只有标题.MP3")), {}, QStringLiteral("孙燕姿")));
  writeFile(at(QStringLiteral("a/tagged.lrc")), toGbk(QStringLiteral("[00:01.00]晚风吹过\r\n")));
  writeFile(at(QStringLiteral("b/陈奕迅 - 无名的歌.lrc")),
            QByteArray("\xEF\xBB\xBF") + QStringLiteral("[00:02.00]没有名字\n[00:03.00]第二句").toUtf8());
  writeFile(at(QStringLiteral("b/not audio.mp3")), "this is not an mp3");

  const ImportReport report = run();
  EXPECT_EQ(report.added, 4);
  EXPECT_EQ(report.warnings.size(), 1); // the file that is not audio
  const auto rows = songs();
  ASSERT_EQ(rows.size(), 4u);
  const SongRow &tagged = rows.at("a/tagged.mp3");
  EXPECT_EQ(tagged.title, "晚风Song 1");
  EXPECT_EQ(tagged.artist, "林俊杰");
  EXPECT_EQ(tagged.album, "专辑A");
  EXPECT_EQ(tagged.lyrics, "[00:01.00]晚风吹过\r\n"); // GBK sidecar
  EXPECT_EQ(rows.at("a/window.wma").title, "窗外");
  EXPECT_FALSE(rows.at("a/window.wma").lyrics);
  const SongRow &named = rows.at("b/陈奕迅 - 无名的歌.mp3");
  EXPECT_EQ(named.title, "无名的歌");
  EXPECT_EQ(named.artist, "陈奕迅");
  EXPECT_EQ(named.lyrics, "[00:02.00]没有名字\r\n[00:03.00]第二句"); // UTF-8 with a byte-order mark
  const SongRow &titleOnly = rows.at("b/只有标题.MP3");
  EXPECT_EQ(titleOnly.title, "只有标题");
  EXPECT_EQ(titleOnly.artist, "孙燕姿");
  // Without catalogue.ini every song is in the start list, and the charts are empty.
  EXPECT_EQ(list(0).size(), 4u);
  EXPECT_TRUE(list(1).empty());
}

TEST_F(Import, CatalogueIniNamesTheListsInItsOrder) {
  ASSERT_TRUE(makeAudio(at(QStringLiteral("one.mp3")), QStringLiteral("一"), QStringLiteral("甲")));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("two.mp3")), QStringLiteral("二"), QStringLiteral("乙")));
  writeFile(at(QStringLiteral("catalogue.ini")),
            toGbk(QStringLiteral(
                "; GBK this time\r\n[mlist0]\r\ntwo.mp3\r\none.mp3\r\n[chart8]\r\none.mp3\r\n"
                "[情歌对唱]\r\n手写,丙,missing/three.wma\r\nnot-there.mp3\r\n[chart9]\r\none.mp3\r\n")));
  const ImportReport report = run();
  EXPECT_EQ(report.added, 3);
  EXPECT_EQ(list(0), (std::vector<std::string>{"二", "一"}));
  // [chart8] and [情歌对唱] are the same list; a hand entry is listed though its file is missing.
  EXPECT_EQ(list(8), (std::vector<std::string>{"一", "手写"}));
  EXPECT_TRUE(list(1).empty());
  // Warnings: the missing file of the hand entry, the unknown entry, the unknown section.
  EXPECT_EQ(report.warnings.size(), 4) << report.warnings.join(QLatin1Char('\n')).toStdString();
}

TEST_F(Import, CatalogueIniNamesNothingOutsideTheFolder) {
  ASSERT_TRUE(makeAudio(at(QStringLiteral("in.mp3")), QStringLiteral("里"), QStringLiteral("甲")));
  const QString outside = dir_.path() + QStringLiteral("/outside.mp3");
  ASSERT_TRUE(makeAudio(outside, QStringLiteral("外"), QStringLiteral("乙")));
  writeFile(at(QStringLiteral("catalogue.ini")),
            (QStringLiteral("[start]\nin.mp3\n../outside.mp3\n") + outside +
             QStringLiteral("\nsub/../../outside.mp3\n偷,贼,../outside.mp3\n偷,贼,/etc/passwd\n"
                            "sub/../in.mp3\n./in.mp3\n"))
                .toUtf8());
  const ImportReport report = run();
  // Each of the five paths outside is refused with a warning naming its line.
  EXPECT_EQ(report.warnings.filter(QStringLiteral("refused")).size(), 5)
      << report.warnings.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(report.warnings.contains(
      QStringLiteral("catalogue.ini:3: ../outside.mp3 is not a file below the imported folder; refused")));
  EXPECT_EQ(list(0), (std::vector<std::string>{"里", "里", "里"}));
  const auto rows = songs();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows.count("in.mp3"));
}

TEST_F(Import, ImportingAgainKeepsLinksAndPicksUpChanges) {
  ASSERT_TRUE(makeAudio(at(QStringLiteral("keep.mp3")), QStringLiteral("留下"), QStringLiteral("甲")));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("change.mp3")), QStringLiteral("改变"), QStringLiteral("乙")));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("drop.mp3")), QStringLiteral("离开"), QStringLiteral("丙")));
  writeFile(at(QStringLiteral("orphan.lrc")),
            QStringLiteral("[ti:只在搜索]\n[ar:丁]\n[00:01.00]词\n").toUtf8());
  run();
  const auto before = songs();

  // Nothing changed: nothing written.
  const ImportReport again = run();
  EXPECT_EQ(again.added + again.updated + again.removed, 0);
  EXPECT_EQ(again.unchanged, 3);
  EXPECT_EQ(again.searchOnlyLyrics, 1);
  EXPECT_EQ(songs().at("keep.mp3").link, before.at("keep.mp3").link);

  writeFile(at(QStringLiteral("change.lrc")), QStringLiteral("[00:05.00]新歌词\n").toUtf8());
  QFile::remove(at(QStringLiteral("drop.mp3")));
  ASSERT_TRUE(makeAudio(at(QStringLiteral("new.wma")), QStringLiteral("新来"), QStringLiteral("戊")));
  const ImportReport changed = run();
  EXPECT_EQ(changed.added, 1);
  EXPECT_EQ(changed.updated, 1);
  EXPECT_EQ(changed.removed, 1);
  const auto after = songs();
  EXPECT_EQ(after.size(), 3u);
  EXPECT_EQ(after.at("change.mp3").lyrics, "[00:05.00]新歌词\r\n");
  EXPECT_EQ(after.at("change.mp3").link, before.at("change.mp3").link);
  EXPECT_FALSE(after.count("drop.mp3"));
  // The index follows: the dropped song is no longer found, the new one is.
  CatalogueStore store(db_);
  EXPECT_TRUE(store.search("离开", SearchField::Title).empty());
  EXPECT_EQ(store.search("新来", SearchField::Title).size(), 1u);
  EXPECT_EQ(store.search("新歌词", SearchField::Keyword).size(), 1u);
  EXPECT_EQ(store.findLyrics("只在搜索", "丁").size(), 1u);
  EXPECT_EQ(store.findLyrics("改变", "乙").size(), 1u);
  EXPECT_EQ(list(0).size(), 3u);
}

TEST_F(Import, ACatalogueFromAnOlderVersionGetsItsSearchIndexesRebuilt) {
  ASSERT_TRUE(makeAudio(at(QStringLiteral("old.mp3")), QStringLiteral("老歌"), QStringLiteral("甲")));
  run();
  {
    Database db(db_, Database::Mode::ReadWrite);
    db.exec("DELETE FROM short_grams; DELETE FROM songs_fts; PRAGMA user_version = 1;");
  }
  EXPECT_TRUE(CatalogueStore(db_).search("老", SearchField::Title).empty());
  EXPECT_EQ(run().unchanged, 1);
  EXPECT_EQ(CatalogueStore(db_).search("老", SearchField::Title).size(), 1u);
  EXPECT_EQ(CatalogueStore(db_).search("老歌", SearchField::Title).size(), 1u);
}

TEST_F(Import, AMissingFolderIsAnErrorAndLeavesNoDatabase) {
  EXPECT_THROW(importFolder((dir_.path() + QStringLiteral("/nowhere")).toStdString(), db_),
               std::runtime_error);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(db_)));
}

} // namespace
