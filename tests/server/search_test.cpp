// Search over rows written straight into the catalogue tables: the trigram index for terms
// of three or more characters, the scan for shorter ones.

#include "catalogue_store.h"
#include "schema.h"
#include "song_index.h"
#include "sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>

using namespace lumiqo::server;

namespace {

class Search : public ::testing::Test {
protected:
  void SetUp() override {
    path_ = (dir_.path() + QStringLiteral("/s.db")).toStdString();
    Database db(path_, Database::Mode::ReadWrite);
    ensureSchema(db);
    add(db, "月亮代表我的心", "邓丽君", "经典", "你问我爱你有多深");
    add(db, "爱", "小虎队", "", "把你的心我的心串一串");
    add(db, "Hello世界", "张学友", "", "");
    add(db, "HELLO KITTY", "Hello Band", "", "");
    add(db, "100% Pure", "群星", "", "");
    add(db, "Say \"Yes\"", "合唱团", "", "");
    add(db, "爱情买卖", "慕容晓晓", "爱", "");
    store_ = std::make_unique<CatalogueStore>(path_);
  }

  void add(Database &db, const std::string &title, const std::string &artist, const std::string &album,
           const std::string &lyrics) {
    const std::string link = "lq" + std::to_string(++n_);
    db.prepare("INSERT INTO songs(rel_path, file, link, stream_path, title, artist, album, lyrics_plain) "
               "VALUES(?1, ?1, ?1, ?1, ?2, ?3, ?4, ?5)")
        .bind(1, link)
        .bind(2, title)
        .bind(3, artist)
        .bind(4, album)
        .bind(5, lyrics)
        .run();
    SongIndexWriter(db).write(db.lastInsertId(), title, artist, album, lyrics);
  }

  std::vector<std::string> titles(const std::string &term, SearchField field) {
    std::vector<std::string> out;
    for (const ListRow &row : store_->search(term, field))
      out.push_back(row.title);
    std::sort(out.begin(), out.end());
    return out;
  }

  QTemporaryDir dir_;
  std::string path_;
  std::unique_ptr<CatalogueStore> store_;
  int n_ = 0;
};

using V = std::vector<std::string>;

TEST_F(Search, ChineseTermsOfOneTwoAndMoreCharacters) {
  EXPECT_EQ(titles("爱", SearchField::Title), (V{"爱", "爱情买卖"}));             // one: scan
  EXPECT_EQ(titles("月亮", SearchField::Title), (V{"月亮代表我的心"}));           // two: scan
  EXPECT_EQ(titles("代表我", SearchField::Title), (V{"月亮代表我的心"}));         // three: trigram
  EXPECT_EQ(titles("月亮代表我的心", SearchField::Title), (V{"月亮代表我的心"})); // whole title
  EXPECT_TRUE(titles("月亮代表你", SearchField::Title).empty());
}

TEST_F(Search, FieldsTitleArtistAndKeyword) {
  EXPECT_EQ(titles("小虎", SearchField::Artist), (V{"爱"}));
  EXPECT_EQ(titles("邓丽君", SearchField::Artist), (V{"月亮代表我的心"}));
  EXPECT_TRUE(titles("邓丽君", SearchField::Title).empty());
  // A keyword matches title, artist, album or lyrics, short or long.
  EXPECT_EQ(titles("有多深", SearchField::Keyword), (V{"月亮代表我的心"}));
  EXPECT_EQ(titles("心", SearchField::Keyword), (V{"月亮代表我的心", "爱"}));
  EXPECT_EQ(titles("经典", SearchField::Keyword), (V{"月亮代表我的心"}));
  EXPECT_EQ(titles("爱", SearchField::Keyword), (V{"月亮代表我的心", "爱", "爱情买卖"}));
}

TEST_F(Search, AsciiIgnoresCaseInBothPaths) {
  EXPECT_EQ(titles("hello", SearchField::Title), (V{"HELLO KITTY", "Hello世界"}));
  EXPECT_EQ(titles("HeLLo", SearchField::Artist), (V{"HELLO KITTY"}));
  EXPECT_EQ(titles("he", SearchField::Title), (V{"HELLO KITTY", "Hello世界"}));
  EXPECT_EQ(titles("o世", SearchField::Title), (V{"Hello世界"}));
}

TEST_F(Search, QueryCharactersAreLiteral) {
  // Wildcards of LIKE and the quotes of the full-text syntax match only themselves.
  EXPECT_EQ(titles("0%", SearchField::Title), (V{"100% Pure"}));
  EXPECT_EQ(titles("%", SearchField::Title), (V{"100% Pure"}));
  EXPECT_EQ(titles("_", SearchField::Title), V{});
  EXPECT_EQ(titles("\"Yes\"", SearchField::Title), (V{"Say \"Yes\""}));
  EXPECT_EQ(titles("Say \"", SearchField::Title), (V{"Say \"Yes\""}));
  EXPECT_EQ(titles("OR", SearchField::Title), V{});
  EXPECT_EQ(titles("NEAR(", SearchField::Title), V{});
  EXPECT_TRUE(titles("", SearchField::Keyword).empty());
}

TEST_F(Search, ArtistPagesMatchTheWholeNameIgnoringAsciiCase) {
  EXPECT_EQ(store_->byArtist("hello band").size(), 1u);
  EXPECT_TRUE(store_->byArtist("Hello").empty());
  EXPECT_EQ(store_->byArtist("邓丽君").size(), 1u);
}

TEST_F(Search, AnEmptyFileIsNotACatalogue) {
  const std::string empty = (dir_.path() + QStringLiteral("/empty.db")).toStdString();
  { Database db(empty, Database::Mode::ReadWrite); }
  EXPECT_THROW(CatalogueStore store(empty), SqliteError);
  EXPECT_THROW(CatalogueStore store(empty + ".missing"), SqliteError);
}

} // namespace
