// Where the program writes: beside itself while it may, else in the user's data folder, with
// the favourites kept beside the program copied there once.

#include "base/app_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

constexpr QFile::Permissions kReadOnlyFolder = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                               QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions kWritableFolder = kReadOnlyFolder | QFile::WriteOwner;

class DataFolderTest : public ::testing::Test {
protected:
  QTemporaryDir root;
  QString prog;
  const QByteArray savedHome = qgetenv("HOME");
  const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");

  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    prog = root.filePath("prog");
    ASSERT_TRUE(QDir().mkpath(prog + "/inc"));
    ASSERT_TRUE(QDir().mkpath(root.filePath("home")));
    qputenv("HOME", root.filePath("home").toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath("alice").toLocal8Bit());
    setAppFolderForTesting(prog);
  }
  void TearDown() override {
    QFile::setPermissions(prog, kWritableFolder);
    setAppFolderForTesting({});
    qputenv("HOME", savedHome);
    savedDataHome.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", savedDataHome);
  }

  static void write(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
  }
  static QByteArray read(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  QStringList programFolderEntries() const {
    QStringList entries;
    for (const QFileInfo &info : QDir(prog).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot))
      entries << info.fileName() +
                     (info.isDir() ? "/" + QDir(info.filePath()).entryList(QDir::Files).join(',') : "");
    return entries;
  }
};

TEST_F(DataFolderTest, WritableProgramFolderKeepsTheDataBesideTheProgram) {
  ASSERT_TRUE(QDir(prog + "/inc").removeRecursively());
  EXPECT_EQ(DataFolder(), prog + "/");
  EXPECT_TRUE(QFileInfo(prog + "/inc").isDir()) << "a missing favourites folder is made";
  EXPECT_FALSE(QFileInfo::exists(root.filePath("alice/lumiqo")));
}

TEST_F(DataFolderTest, ReadOnlyProgramFolderSendsTheDataToEachUsersOwnFolder) {
  write(prog + "/inc/mymusiclist.dat", "a,b,c\r\n");
  ASSERT_TRUE(QFile::setPermissions(prog, kReadOnlyFolder)); // read-only for root too
  const QStringList before = programFolderEntries();

  const QString alice = root.filePath("alice/lumiqo/");
  EXPECT_EQ(DataFolder(), alice);
  EXPECT_EQ(read(alice + kFavouritesFile), "a,b,c\r\n");
  EXPECT_EQ(QFileInfo(alice).permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions{});

  // Copied once: later changes on either side stay where they are made, and a favourites
  // file the user has deleted does not come back.
  write(alice + kFavouritesFile, "mine\r\n");
  ASSERT_TRUE(QFile::setPermissions(prog, kWritableFolder));
  write(prog + "/inc/mymusiclist.dat", "x,y,z\r\n");
  ASSERT_TRUE(QFile::setPermissions(prog, kReadOnlyFolder));
  EXPECT_EQ(DataFolder(), alice);
  EXPECT_EQ(read(alice + kFavouritesFile), "mine\r\n");
  ASSERT_TRUE(QFile::remove(alice + kFavouritesFile));
  DataFolder();
  EXPECT_FALSE(QFileInfo::exists(alice + kFavouritesFile));

  // Another user gets a folder and a copy of their own.
  qputenv("XDG_DATA_HOME", root.filePath("bob").toLocal8Bit());
  EXPECT_EQ(DataFolder(), root.filePath("bob/lumiqo/"));
  EXPECT_EQ(read(root.filePath("bob/lumiqo/") + kFavouritesFile), "x,y,z\r\n");

  // Without XDG_DATA_HOME the user's data folder is ~/.local/share.
  qunsetenv("XDG_DATA_HOME");
  EXPECT_EQ(DataFolder(), root.filePath("home/.local/share/lumiqo/"));
  EXPECT_TRUE(QFileInfo(root.filePath("home/.local/share/lumiqo/inc")).isDir());

  EXPECT_EQ(programFolderEntries(), before);
  // The rule follows the folder: writable again, the data is beside the program again.
  ASSERT_TRUE(QFile::setPermissions(prog, kWritableFolder));
  EXPECT_EQ(DataFolder(), prog + "/");
}

} // namespace
} // namespace lumiqo
