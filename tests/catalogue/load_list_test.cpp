#include "base/app_folder.h"
#include "base/gbk.h"
#include "catalogue/hex_codec.h"
#include "catalogue/list_text.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"
#include "support/http_server.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

namespace lumiqo {
namespace {

std::string gbk(const QString &text) {
  return toGbk(text).toStdString();
}

QStringList rows(const QMListBox &list) {
  QStringList out;
  for (int i = 0; i < list.ListCount(); ++i)
    out << list.Title(i) + '|' + list.Author(i) + '|' + list.URL(i);
  return out;
}

QStringList times(const QMListBox &list) {
  QStringList out;
  for (int i = 0; i < list.ListCount(); ++i)
    out << list.StrTime(i);
  return out;
}

TEST(ListText, RecordsAndPiecesPassedOver) {
  // Two lines: three fields, then two.
  auto records = ParseListText(u"晴天,周杰伦,a1\r\n只有,两段\r\n");
  ASSERT_EQ(records.size(), 1);
  EXPECT_EQ(records[0].title, QStringLiteral("晴天"));
  EXPECT_EQ(records[0].artist, QStringLiteral("周杰伦"));
  EXPECT_EQ(records[0].link, QStringLiteral("a1"));
  // Line feeds alone do not end a line: one long piece, whose fourth field on is ignored.
  records = ParseListText(u"t1,a1,l1\nt2,a2,l2\n");
  ASSERT_EQ(records.size(), 1);
  EXPECT_EQ(records[0].link, QStringLiteral("l1\nt2"));
  // Empty pieces and empty fields.
  records = ParseListText(u"\r\n\r\n,,\r\nx,,\r\n\r\n");
  ASSERT_EQ(records.size(), 2);
  EXPECT_EQ(records[1].title, QStringLiteral("x"));
  EXPECT_TRUE(ParseListText(u"").isEmpty());
  EXPECT_TRUE(ParseListText(u"\r").isEmpty());
}

TEST(ListText, InventedTimesAreFixedFromRunToRun) {
  RandomSequence a;
  RandomSequence b;
  QStringList first;
  for (int i = 0; i < 2000; ++i) {
    const QString t = InventedTime(a);
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^0[0-9]:[0-5][0-9]$")).match(t).hasMatch())
        << t.toStdString();
    ASSERT_EQ(t, InventedTime(b));
    first << t;
  }
  // The sequence's first values are 0.7055475, 0.5334240: seven minutes, 32 seconds.
  EXPECT_EQ(first[0], QStringLiteral("07:32"));
  EXPECT_GT(first.removeDuplicates(), 0);
}

class LoadListTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto &s = server_.server();
    auto list = [this](const std::string &path, const QString &text) {
      server_.server().Get(path, [this, text](const httplib::Request &req, httplib::Response &res) {
        record(req);
        res.set_content(gbk(text), "text/plain; charset=gb2312");
      });
    };
    list("/soft/mlist0.asp", QStringLiteral("推荐一,歌手一,r1\r\n推荐二,歌手二,r2\r\n"));
    for (int n = 1; n <= 8; ++n)
      list("/soft/mlist" + std::to_string(n) + ".txt", QStringLiteral("榜%1,歌手,c%1\r\n").arg(n));
    s.Get("/soft/mlist_so.asp", [this](const httplib::Request &req, httplib::Response &res) {
      record(req);
      QString term;
      HexDecodeTerm(QString::fromStdString(req.get_param_value("gs")), term);
      res.set_content(gbk(term + QStringLiteral("的歌,") + term + QStringLiteral(",s1\r\n")), "text/plain");
    });
    s.Get("/soft/mlist_soso.asp", [this](const httplib::Request &req, httplib::Response &res) {
      record(req);
      QString term;
      HexDecodeTerm(QString::fromStdString(req.get_param_value("gs")), term);
      res.set_content(gbk(term + ',' + QString::fromStdString(req.get_param_value("t")) + ",k1\r\n"),
                      "text/plain");
    });
    server_.start();
    qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(server_.authority()));
    ASSERT_TRUE(folder_.isValid());
    QDir(folder_.path()).mkpath(QStringLiteral("inc"));
    setAppFolderForTesting(folder_.path());
    connect();
  }
  void TearDown() override {
    qunsetenv("LUMIQO_CATALOGUE_HOST");
    setAppFolderForTesting(QString());
  }

  void record(const httplib::Request &req) {
    std::lock_guard lock(mutex_);
    requests_.push_back(req.target);
    requestSeq_ = ++seq_;
  }
  // The first removal of a row marks when the list was emptied.
  void connect() {
    QObject::connect(&list_, &QMListBox::listRedrawRequested, [this] { noteEmptying(); });
    QObject::connect(&list_, &QMListBox::cleared, [this] { noteEmptying(); });
  }
  void noteEmptying() {
    if (emptiedSeq_ == 0)
      emptiedSeq_ = ++seq_;
  }
  std::vector<std::string> takeRequests() {
    std::lock_guard lock(mutex_);
    return std::exchange(requests_, {});
  }

  test::HttpServer server_;
  QTemporaryDir folder_;
  QMListBox list_;
  CatalogueState state_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::atomic<int> seq_{0};
  std::atomic<int> requestSeq_{0};
  std::atomic<int> emptiedSeq_{0};
};

TEST_F(LoadListTest, EveryListCodeReadsItsSource) {
  LoadList(QStringLiteral("M0"), list_, state_);
  EXPECT_EQ(rows(list_), (QStringList{"推荐一|歌手一|r1", "推荐二|歌手二|r2"}));
  EXPECT_EQ(state_.page_name, QStringLiteral("01.asp"));
  EXPECT_EQ(state_.list_mode, 0);

  for (int n = 1; n <= 8; ++n) {
    state_.music_name = QString::number(n);
    LoadList(QStringLiteral("SOM"), list_, state_);
    EXPECT_EQ(rows(list_), QStringList{QStringLiteral("榜%1|歌手|c%1").arg(n)});
    EXPECT_EQ(state_.page_name, QStringLiteral("01.asp"));
  }

  state_.music_name = QStringLiteral("周杰伦");
  LoadList(QStringLiteral("SO"), list_, state_);
  EXPECT_EQ(rows(list_), QStringList{QStringLiteral("周杰伦的歌|周杰伦|s1")});
  EXPECT_EQ(state_.page_name, QStringLiteral("02.asp"));

  state_.s_music_name = QStringLiteral("晴天 a");
  state_.search_type = 2;
  LoadList(QStringLiteral("SOSO"), list_, state_);
  EXPECT_EQ(rows(list_), QStringList{QStringLiteral("晴天 a|2|k1")});
  EXPECT_EQ(state_.page_name, QStringLiteral("02.asp"));

  const std::vector<std::string> sent = takeRequests();
  ASSERT_EQ(sent.size(), 11u);
  EXPECT_EQ(sent[0], "/soft/mlist0.asp");
  EXPECT_EQ(sent[1], "/soft/mlist1.txt");
  EXPECT_EQ(sent[8], "/soft/mlist8.txt");
  EXPECT_EQ(sent[9], "/soft/mlist_so.asp?gs=d6dcbddcc2d7");
  EXPECT_EQ(sent[10], "/soft/mlist_soso.asp?gs=c7e7ccec2061&t=2");
}

TEST_F(LoadListTest, NoSourceEmptiesTheListWithoutARequest) {
  LoadList(QStringLiteral("M0"), list_, state_);
  list_.setListIndex(1);
  list_.setPlayIndex(0);
  state_.page_name = QStringLiteral("02.asp");
  LoadList(QStringLiteral("SOSO"), list_, state_); // empty search box
  EXPECT_EQ(list_.ListCount(), 0);
  EXPECT_EQ(list_.ListIndex(), -1);
  EXPECT_EQ(list_.PlayIndex(), -1);
  EXPECT_EQ(state_.page_name, QStringLiteral("01.asp"));
  LoadList(QStringLiteral("SO"), list_, state_); // empty catalogue term
  LoadList(QStringLiteral("m0"), list_, state_); // codes are case-sensitive
  EXPECT_EQ(takeRequests().size(), 1u);
  EXPECT_EQ(list_.ListCount(), 0);
}

TEST_F(LoadListTest, LoadingTwiceShowsTheSameRowsWithOtherTimes) {
  LoadList(QStringLiteral("M0"), list_, state_);
  const QStringList firstRows = rows(list_);
  const QStringList firstTimes = times(list_);
  LoadList(QStringLiteral("M0"), list_, state_);
  EXPECT_EQ(rows(list_), firstRows);
  EXPECT_NE(times(list_), firstTimes);
  // A fresh run draws the same times again.
  CatalogueState fresh;
  QMListBox other;
  LoadList(QStringLiteral("M0"), other, fresh);
  EXPECT_EQ(times(other), firstTimes);
}

TEST_F(LoadListTest, OldRowsStayUntilTheFetchEnds) {
  LoadList(QStringLiteral("M0"), list_, state_);
  emptiedSeq_ = 0;
  state_.music_name = QStringLiteral("3");
  LoadList(QStringLiteral("SOM"), list_, state_);
  EXPECT_GT(requestSeq_.load(), 0);
  EXPECT_GT(emptiedSeq_.load(), requestSeq_.load());
  EXPECT_EQ(rows(list_), QStringList{QStringLiteral("榜3|歌手|c3")});
}

TEST_F(LoadListTest, ErrorPageIsParsedAndSilentServerGivesAnEmptyList) {
  // The status is not examined: an error page is parsed as a list; only a line with three
  // fields adds a row.
  test::HttpServer broken;
  broken.server().Get("/soft/mlist0.asp", [](const httplib::Request &, httplib::Response &res) {
    res.status = 500;
    res.set_content("<html><body>Server Error</body></html>\r\n<p>a,b</p>\r\n<p>x,y,z</p>", "text/html");
  });
  broken.start();
  LoadList(QStringLiteral("M0"), list_, state_);
  qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(broken.authority()));
  LoadList(QStringLiteral("M0"), list_, state_);
  EXPECT_EQ(rows(list_), QStringList{QStringLiteral("<p>x|y|z</p>")});

  test::SilentServer silent;
  qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(silent.authority()));
  LoadList(QStringLiteral("M0"), list_, state_, FetchTimeouts{50, 50, 100, 100});
  EXPECT_EQ(list_.ListCount(), 0);
  EXPECT_EQ(state_.list_mode, 0);
}

TEST_F(LoadListTest, FavouritesFileIsReadAsGbkLines) {
  LoadList(QStringLiteral("MyMusicList"), list_, state_); // missing file: empty list
  EXPECT_EQ(list_.ListCount(), 0);
  EXPECT_EQ(state_.list_mode, 1);
  EXPECT_EQ(state_.page_name, QStringLiteral("02.asp"));

  QFile file(FavouritesFilePath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(toGbk(QStringLiteral("晴天,周杰伦,a1\r\n\r\n只有两段,x\r\n稻香,周杰伦,a2\r月亮,王菲,a3")));
  file.close();
  LoadList(QStringLiteral("MyMusicList"), list_, state_);
  EXPECT_EQ(rows(list_), (QStringList{"晴天|周杰伦|a1", "稻香|周杰伦|a2", "月亮|王菲|a3"}));
  EXPECT_EQ(state_.list_mode, 1);
  EXPECT_TRUE(takeRequests().empty());
}

} // namespace
} // namespace lumiqo
