// The installed program: `cmake --install` into a staging folder (DESTDIR), the installed
// player run by a user who may not write its folder, and the .deb that cpack makes.

#include "e2e/whole_program.h"

#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace lumiqo {
namespace {

// Every path the install puts under the prefix that the tests look for.
const QStringList kInstalled{
    "bin/lumiqo",
    "bin/lumiqo-server",
    "lib/lumiqo/lumiqo",
    "lib/lumiqo/liblumiqo_decoder.so",
    "lib/lumiqo/skin",
    "lib/lumiqo/artists.txt",
    "share/applications/lumiqo.desktop",
    "share/applications/qorvex-url.desktop",
    "share/icons/hicolor/48x48/apps/lumiqo.png",
    "share/icons/hicolor/16x16/apps/lumiqo.png",
    "lib/systemd/system/lumiqo-server.service",
};

using test::Ran;

class Installed : public ::testing::Test {
protected:
  QTemporaryDir root;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  QString program; // the installed program folder, read-only for a while

  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    // Stand-ins for the generator's icons, at two of its sizes.
    ASSERT_TRUE(QDir().mkpath(root.filePath("icons")));
    for (int size : {16, 48}) {
      QImage icon(size, size, QImage::Format_ARGB32);
      icon.fill(QColor(40, 160, 90));
      ASSERT_TRUE(icon.save(root.filePath(QStringLiteral("icons/lumiqo-%1.png").arg(size))));
    }
    env.insert("LUMIQO_ICON_DIR", root.filePath("icons"));
  }
  void TearDown() override {
    if (!program.isEmpty()) // writable again, so the folder can be removed
      QFile::setPermissions(program, QFileInfo(program).permissions() | QFile::WriteOwner | QFile::WriteUser);
  }

  static Ran run(const QString &program, const QStringList &args, const QProcessEnvironment &environment,
                 int timeoutMs = 120000) {
    return test::run(program, args, environment, timeoutMs);
  }

  static QStringList entries(const QString &folder) {
    QStringList out;
    for (const QFileInfo &info :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
      out << info.fileName() + (info.isDir() ? "/" + entries(info.filePath()).join(',') : "");
    return out;
  }
};

TEST_F(Installed, TheInstalledPlayerKeepsItsUsersDataInTheirOwnFolders) {
  const QString stage = root.filePath("stage");
  QProcessEnvironment installEnv = env;
  installEnv.insert("DESTDIR", stage);
  const Ran install =
      run(QStringLiteral(LUMIQO_CMAKE), {"--install", LUMIQO_BINARY_DIR, "--prefix", "/usr"}, installEnv);
  ASSERT_EQ(install.exitCode, 0) << install.out.toStdString();
  const QString usr = stage + "/usr/";
  for (const QString &path : kInstalled)
    EXPECT_TRUE(QFileInfo::exists(usr + path)) << path.toStdString();
  EXPECT_EQ(QFileInfo(usr + "bin/lumiqo").symLinkTarget(),
            QFileInfo(usr + "lib/lumiqo/lumiqo").absoluteFilePath());

  // The entries name the installed programs.
  QFile entry(usr + "share/applications/lumiqo.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(entry.readAll());
  EXPECT_TRUE(text.contains("\nExec=/usr/bin/lumiqo %u\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("\nName[zh_CN]=Lumiqo音乐播放器\n")) << text.toStdString();
  QFile unit(usr + "lib/systemd/system/lumiqo-server.service");
  ASSERT_TRUE(unit.open(QIODevice::ReadOnly));
  EXPECT_TRUE(
      unit.readAll().contains("\nExecStart=\"/usr/bin/lumiqo-server\" serve --db /var/lib/lumiqo-server/"));
  if (!QStandardPaths::findExecutable("desktop-file-validate").isEmpty()) {
    const Ran valid =
        run("desktop-file-validate",
            {usr + "share/applications/lumiqo.desktop", usr + "share/applications/qorvex-url.desktop"}, env);
    EXPECT_EQ(valid.exitCode, 0) << valid.out.toStdString();
    EXPECT_TRUE(valid.out.isEmpty()) << valid.out.toStdString();
  }
  for (const QString program : {"lumiqo", "lumiqo-server"}) {
    const Ran version = run(usr + "bin/" + program, {"--version"}, env);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith(program + " ")) << version.out.toStdString();
  }
  const Ran help = run(usr + "bin/lumiqo-server", {"--help"}, env);
  EXPECT_EQ(help.exitCode, 0);
  for (const char *word : {"import", "serve", "--db", "--listen", "--site-address", "--forum-address",
                           "--secret", "--token-lifetime", "--threads", "--quiet", "--help", "--version"})
    EXPECT_TRUE(help.out.contains(word)) << word << " not in\n" << help.out.toStdString();

  // Favourites kept beside a program whose folder then became read-only (for root too).
  program = usr + "lib/lumiqo";
  ASSERT_TRUE(QDir().mkpath(program + "/inc"));
  ASSERT_TRUE(test::writeFile(program + "/inc/mymusiclist.dat", "a,b,c\r\n"));
  const QFile::Permissions writable = QFileInfo(program).permissions();
  const QFile::Permissions readOnly =
      writable & ~(QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther);
  ASSERT_TRUE(QFile::setPermissions(program, readOnly));
  const QStringList before = entries(program);

  QProcess player;
  player.setProcessEnvironment(test::privateEnvironment(root)); // data in root/data
  player.start(usr + "bin/lumiqo", {});
  ASSERT_TRUE(player.waitForStarted(10000));
  const QString favourites = root.filePath("data/lumiqo/inc/mymusiclist.dat");
  const bool copied = QTest::qWaitFor([&] { return QFileInfo::exists(favourites); }, 60000);
  test::endProcess(player);
  ASSERT_TRUE(copied) << player.readAllStandardError().toStdString();
  QFile copy(favourites);
  ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
  EXPECT_EQ(copy.readAll(), "a,b,c\r\n");
  EXPECT_EQ(entries(program), before);

  // Writable again (a portable copy): the data stays beside the program.
  ASSERT_TRUE(QFile::setPermissions(program, writable));
  ASSERT_TRUE(QDir(program + "/inc").removeRecursively());
  QProcessEnvironment portable = test::privateEnvironment(root);
  portable.insert("XDG_DATA_HOME", root.filePath("data2"));
  player.setProcessEnvironment(portable);
  player.start(usr + "bin/lumiqo", {});
  ASSERT_TRUE(player.waitForStarted(10000));
  const bool besideTheProgram = QTest::qWaitFor([&] { return QFileInfo(program + "/inc").isDir(); }, 60000);
  test::endProcess(player);
  EXPECT_TRUE(besideTheProgram);
  EXPECT_FALSE(QFileInfo::exists(root.filePath("data2/lumiqo")));
}

TEST_F(Installed, ThePackageHoldsTheProgramItsSkinEntriesIconAndServer) {
  for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps"})
    if (QStandardPaths::findExecutable(tool).isEmpty())
      GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
  const QString out = root.filePath("package");
  const Ran cpack =
      run(QStringLiteral(LUMIQO_CPACK),
          {"--config", QStringLiteral(LUMIQO_BINARY_DIR "/CPackConfig.cmake"), "-G", "DEB", "-B", out}, env,
          600000);
  ASSERT_EQ(cpack.exitCode, 0) << cpack.out.toStdString();
  const QStringList debs = QDir(out).entryList({"*.deb"}, QDir::Files);
  ASSERT_EQ(debs.size(), 1) << cpack.out.toStdString();
  const QString deb = out + "/" + debs.first();

  const Ran list = run("dpkg-deb", {"-c", deb}, env);
  ASSERT_EQ(list.exitCode, 0) << list.out.toStdString();
  QStringList paths; // "usr/bin/lumiqo", "usr/lib/lumiqo/skin/"
  for (const QString &line : list.out.split('\n', Qt::SkipEmptyParts))
    paths << line.mid(line.indexOf(" ./") + 3).section(" -> ", 0, 0);
  for (const QString &path : kInstalled) {
    const QString inPackage = "usr/" + path;
    EXPECT_TRUE(paths.contains(inPackage) || paths.contains(inPackage + "/")) << path.toStdString() << "\n"
                                                                              << list.out.toStdString();
  }
  // Installed, not enabled: nothing wants the server's unit.
  EXPECT_FALSE(list.out.contains(".wants/")) << list.out.toStdString();

  // The dependencies come from the binaries.
  const Ran depends = run("dpkg-deb", {"-f", deb, "Depends"}, env);
  EXPECT_TRUE(depends.out.contains("libqt6widgets6")) << depends.out.toStdString();
  EXPECT_TRUE(depends.out.contains("libsqlite3")) << depends.out.toStdString();
  EXPECT_TRUE(depends.out.contains("libavcodec")) << depends.out.toStdString(); // the decoder library's
}

} // namespace
} // namespace lumiqo
