#include "base/app_folder.h"
#include "base/gbk.h"
#include "base/message_box.h"
#include "catalogue/favourites.h"
#include "catalogue/load_list.h"
#include "controls/qmlistbox.h"
#include "support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace lumiqo {
namespace {

class FavouritesTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_TRUE(QDir(folder_.path()).mkpath(QStringLiteral("inc")));
    setAppFolderForTesting(folder_.path());
    setMessageHandler([this](const MessageRequest &m) { messages_ << m.text; });
  }
  void TearDown() override {
    setMessageHandler({});
    setAppFolderForTesting(QString());
  }

  QByteArray fileBytes() const {
    QFile f(FavouritesFilePath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void writeFile(const QString &text) {
    QFile f(FavouritesFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(toGbk(text));
  }
  void select(int row) {
    list_.setListIndex(row);
    state_.fav_index = static_cast<qint16>(list_.ListIndex());
  }
  void command(const char *name, int row) {
    select(row);
    FavouritesCommand(QString::fromLatin1(name), list_, state_);
  }
  void loadFavourites() { LoadList(QStringLiteral("MyMusicList"), list_, state_); }

  QTemporaryDir folder_;
  QMListBox list_;
  CatalogueState state_;
  QStringList messages_;
};

TEST_F(FavouritesTest, AddAppendsRecordsAndTheyLoadBack) {
  list_.AddItem(QStringLiteral("晴天"), QStringLiteral("周杰伦"), QStringLiteral("a1"),
                QStringLiteral("03:00"));
  list_.AddItem(QStringLiteral("你好,世界"), QStringLiteral("某人"), QStringLiteral("a2"));
  command("ADD", 0); // creates the missing file
  command("ADD", 0); // twice: two identical lines
  command("ADD", 1); // a comma in the title is written as it is
  EXPECT_EQ(fileBytes(), toGbk(QStringLiteral("晴天,周杰伦,a1\r\n晴天,周杰伦,a1\r\n你好,世界,某人,a2\r\n")));
  EXPECT_EQ(messages_, QStringList(3, QStringLiteral("添加成功！")));
  EXPECT_EQ(list_.ListCount(), 2); // the play list is not changed

  loadFavourites();
  ASSERT_EQ(list_.ListCount(), 3);
  EXPECT_EQ(list_.Title(1), QStringLiteral("晴天"));
  // The comma shifts the fields: the last one is passed over.
  EXPECT_EQ(list_.Title(2), QStringLiteral("你好"));
  EXPECT_EQ(list_.Author(2), QStringLiteral("世界"));
  EXPECT_EQ(list_.URL(2), QStringLiteral("某人"));
}

// A file whose last line has lost its line end (edited by hand) keeps that record: the
// added one starts on a line of its own.
TEST_F(FavouritesTest, AddAfterALastLineWithoutItsEndKeepsBothRecords) {
  list_.AddItem(QStringLiteral("晴天"), QStringLiteral("周杰伦"), QStringLiteral("a1"));
  writeFile(QStringLiteral("一,甲,l1"));
  command("ADD", 0);
  EXPECT_EQ(fileBytes(), toGbk(QStringLiteral("一,甲,l1\r\n晴天,周杰伦,a1\r\n")));
  writeFile(QStringLiteral("一,甲,l1\r"));
  command("ADD", 0);
  EXPECT_EQ(fileBytes(), toGbk(QStringLiteral("一,甲,l1\r晴天,周杰伦,a1\r\n")));
  loadFavourites();
  ASSERT_EQ(list_.ListCount(), 2);
  EXPECT_EQ(list_.URL(0), QStringLiteral("l1"));
  EXPECT_EQ(list_.Title(1), QStringLiteral("晴天"));
}

TEST_F(FavouritesTest, NothingHappensWithoutASelectedRow) {
  list_.AddItem(QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("l"));
  state_.fav_index = -1;
  FavouritesCommand(QStringLiteral("ADD"), list_, state_);
  FavouritesCommand(QStringLiteral("DELL"), list_, state_);
  EXPECT_EQ(fileBytes(), QByteArray("<missing>"));
  EXPECT_EQ(list_.ListCount(), 1);
  EXPECT_TRUE(messages_.isEmpty());
  command("add", 0); // commands are case-sensitive
  EXPECT_EQ(fileBytes(), QByteArray("<missing>"));
}

TEST_F(FavouritesTest, DelLeavesTheFileAndDellRewritesIt) {
  writeFile(QStringLiteral("一,甲,l1\r\n二,乙,l2\r\n\r\n三,丙,l3\r\n"));
  const QByteArray before = fileBytes();
  loadFavourites();
  command("DEL", 1);
  EXPECT_EQ(fileBytes(), before);
  EXPECT_EQ(list_.ListCount(), 2);
  EXPECT_TRUE(messages_.isEmpty());

  loadFavourites();
  command("DELL", 0);
  EXPECT_EQ(fileBytes(), toGbk(QStringLiteral("二,乙,l2\r\n三,丙,l3\r\n\r\n\r\n")));
  EXPECT_EQ(messages_, QStringList{QStringLiteral("删除成功！")});
  // The selection points at the row that moved into the removed row's place.
  EXPECT_EQ(list_.ListIndex(), 0);
  EXPECT_EQ(list_.Title(0), QStringLiteral("二"));

  // Adding after a rewrite, then loading, skips the empty lines.
  command("ADD", 1);
  loadFavourites();
  EXPECT_EQ(list_.ListCount(), 3);
  EXPECT_EQ(list_.Title(2), QStringLiteral("三"));
}

TEST_F(FavouritesTest, DellOfTheOnlyRowLeavesTwoLineBreaks) {
  writeFile(QStringLiteral("一,甲,l1\r\n"));
  loadFavourites();
  command("DELL", 0);
  EXPECT_EQ(fileBytes(), QByteArray("\r\n\r\n"));
  loadFavourites();
  EXPECT_EQ(list_.ListCount(), 0);
}

// The write fails because the file's name is taken by a folder (permissions do not stop a
// test that runs as root): an error message, and nothing else changes.
TEST_F(FavouritesTest, FailedWriteShowsAnErrorAndLeavesTheFile) {
  list_.AddItem(QStringLiteral("t"), QStringLiteral("a"), QStringLiteral("l"));
  list_.AddItem(QStringLiteral("u"), QStringLiteral("b"), QStringLiteral("m"));
  ASSERT_TRUE(QDir().mkpath(FavouritesFilePath()));
  command("ADD", 0);
  command("DELL", 0);
  EXPECT_TRUE(QFileInfo(FavouritesFilePath()).isDir());
  ASSERT_EQ(messages_.size(), 2);
  EXPECT_NE(messages_[0], QStringLiteral("添加成功！"));
  EXPECT_NE(messages_[1], QStringLiteral("删除成功！"));
  EXPECT_TRUE(QDir(folder_.filePath(QStringLiteral("inc"))).entryList(QDir::Files).isEmpty());
}

// A full disk, made with the file-size limit: every write that stops after k bytes, for every
// k, leaves the old file whole; the new file appears only once it is complete.
TEST_F(FavouritesTest, InterruptedRewriteLeavesOldOrNewFile) {
  QString old;
  for (int i = 0; i < 6; ++i)
    old += QStringLiteral("歌%1,手%1,link%1\r\n").arg(i);
  const QByteArray expectedNew =
      toGbk(old.mid(old.indexOf(QLatin1String("\r\n")) + 2) + QStringLiteral("\r\n\r\n"));

  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  std::vector<QByteArray> results;
  QStringList shown;
  for (int k = 0; k <= expectedNew.size(); ++k) {
    writeFile(old);
    loadFavourites();
    messages_.clear();
    rlimit limit = saved;
    limit.rlim_cur = static_cast<rlim_t>(k);
    setrlimit(RLIMIT_FSIZE, &limit);
    command("DELL", 0);
    setrlimit(RLIMIT_FSIZE, &saved);
    results.push_back(fileBytes());
    shown << messages_.value(0);
  }
  std::signal(SIGXFSZ, previous);

  for (int k = 0; k <= expectedNew.size(); ++k) {
    const bool complete = k == expectedNew.size();
    EXPECT_EQ(results[k], complete ? expectedNew : toGbk(old)) << "limit " << k;
    EXPECT_EQ(shown[k] == QStringLiteral("删除成功！"), complete) << "limit " << k;
  }
  EXPECT_TRUE(QDir(folder_.filePath(QStringLiteral("inc"))).entryList(QDir::Files) ==
              QStringList{QStringLiteral("mymusiclist.dat")});
}

// An installed program's folder is read-only: the favourites are added, removed and loaded
// in the user's data folder, and the program folder is left as it was.
TEST_F(FavouritesTest, ReadOnlyProgramFolderKeepsTheFavouritesInTheUsersDataFolder) {
  QTemporaryDir data;
  ASSERT_TRUE(data.isValid());
  const test::ScopedEnv dataHome("XDG_DATA_HOME", data.path().toLocal8Bit());
  const QFile::Permissions writable = QFileInfo(folder_.path()).permissions();
  // Writable again however the test ends, so that the folder can be removed.
  const auto restore = qScopeGuard([&] { QFile::setPermissions(folder_.path(), writable); });
  ASSERT_TRUE(QFile::setPermissions(folder_.path(), writable & ~(QFile::WriteOwner | QFile::WriteUser |
                                                                 QFile::WriteGroup | QFile::WriteOther)));

  list_.AddItem(QStringLiteral("晴天"), QStringLiteral("周杰伦"), QStringLiteral("a1"));
  list_.AddItem(QStringLiteral("七里香"), QStringLiteral("周杰伦"), QStringLiteral("a2"));
  command("ADD", 0);
  command("ADD", 1);
  const QString userFile = data.filePath(QStringLiteral("lumiqo/inc/mymusiclist.dat"));
  EXPECT_EQ(FavouritesFilePath(), userFile);
  loadFavourites();
  ASSERT_EQ(list_.ListCount(), 2);
  command("DELL", 0);
  EXPECT_EQ(messages_, (QStringList{QStringLiteral("添加成功！"), QStringLiteral("添加成功！"),
                                    QStringLiteral("删除成功！")}));
  QFile file(userFile);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), toGbk(QStringLiteral("七里香,周杰伦,a2\r\n\r\n\r\n")));
  EXPECT_TRUE(QDir(folder_.filePath(QStringLiteral("inc"))).entryList(QDir::Files).isEmpty());
}

} // namespace
} // namespace lumiqo
