#include "app/instance/link_execute.h"

#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

using namespace lumiqo;

namespace {

struct Row {
  QString title, author, url, time;
};

// The main window's side: a play list that keeps its marks like the real one (a negative
// play mark is refused), and a record of every call.
class FakeHost : public LinkExecuteHost {
public:
  std::vector<Row> rows;
  int playIndex = -1;
  int listIndex = -1;
  std::vector<int> playMarks;
  QStringList calls;
  QStringList played; // the URL under the play mark at each listplay

  void AddItem(const QString &title, const QString &author, const QString &url,
               const QString &time) override {
    rows.push_back({title, author, url, time});
    calls << QStringLiteral("AddItem");
  }
  int PlayIndex() const override { return playIndex; }
  void setPlayIndex(int index) override {
    if (index < 0)
      return;
    playIndex = index;
    playMarks.push_back(index);
  }
  void setListIndex(int index) override { listIndex = index; }
  int ListCount() const override { return static_cast<int>(rows.size()); }
  void listplay() override {
    calls << QStringLiteral("listplay");
    played << rows.at(playIndex).url;
  }
  void delie6() override { calls << QStringLiteral("delie6"); }
  void showNormalAndFocus() override { calls << QStringLiteral("show"); }
};

} // namespace

TEST(LinkExecute, AppendsTheEntryAndPlaysIt) {
  FakeHost host;
  host.rows = {{"a", "b", "x", "01:00"}, {"c", "d", "y", "02:00"}};
  host.playIndex = 0;
  qint16 cancel = 7;
  Form_LinkExecute(QStringLiteral("qorvex://zembrol=d6d0cec4_6364_21z/song.mp3/"), cancel, host);

  EXPECT_EQ(cancel, 0);
  ASSERT_EQ(host.rows.size(), 3u);
  EXPECT_EQ(host.rows[2].title, QStringLiteral("中文"));
  EXPECT_EQ(host.rows[2].author, QStringLiteral("cd"));
  EXPECT_EQ(host.rows[2].url, QStringLiteral("21zsong.mp3"));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^0[0-9]:[0-5][0-9]$")).match(host.rows[2].time).hasMatch())
      << host.rows[2].time.toStdString();
  EXPECT_EQ(host.playMarks, (std::vector<int>{1, 0, 2}));
  EXPECT_EQ(host.playIndex, 2);
  EXPECT_EQ(host.listIndex, 2);
  EXPECT_EQ(host.calls, QStringList({"AddItem", "listplay", "delie6", "show"}));
}

TEST(LinkExecute, IntoAnEmptyListThePlayMarkLandsOnTheNewEntry) {
  FakeHost host;
  qint16 cancel = 1;
  Form_LinkExecute(QStringLiteral("6162_6364_x.wma"), cancel, host);
  // p = -1: 0, then -1 (refused), then the new entry.
  EXPECT_EQ(host.playMarks, (std::vector<int>{0, 0}));
  EXPECT_EQ(host.listIndex, 0);
  EXPECT_EQ(host.played, QStringList({"x.wma"}));
}

TEST(LinkExecute, TwoLinksInQuickSuccessionBothBecomeEntriesAndTheSecondPlays) {
  FakeHost host;
  qint16 cancel = 1;
  Form_LinkExecute(QStringLiteral("qorvex://zembrol=6162_6364_first.mp3"), cancel, host);
  Form_LinkExecute(QStringLiteral("qorvex://zembrol=6566_6768_second.mp3"), cancel, host);
  ASSERT_EQ(host.rows.size(), 2u);
  EXPECT_EQ(host.rows[0].url, QStringLiteral("first.mp3"));
  EXPECT_EQ(host.rows[1].url, QStringLiteral("second.mp3"));
  EXPECT_EQ(host.playIndex, 1);
  EXPECT_EQ(host.played.last(), QStringLiteral("second.mp3"));
}

TEST(LinkExecute, TextsThatAreNotLinksChangeNothing) {
  FakeHost host;
  for (const char *text : {"", "qorvex://zembrol=6162_6364", "qorvex://zembrol=zz_6364_x", "--help"}) {
    qint16 cancel = -1;
    Form_LinkExecute(QString::fromLatin1(text), cancel, host);
    EXPECT_EQ(cancel, -1) << text;
  }
  EXPECT_TRUE(host.calls.isEmpty());
  EXPECT_TRUE(host.playMarks.empty());
}

TEST(LinkExecute, MadeUpTimeRunsFromZeroToNineFiftyNine) {
  EXPECT_EQ(madeUpTime(0, 0), QStringLiteral("00:00"));
  EXPECT_EQ(madeUpTime(0.15, 0.5), QStringLiteral("01:30"));
  EXPECT_EQ(madeUpTime(0.99999, 0.99999), QStringLiteral("09:59"));
}
