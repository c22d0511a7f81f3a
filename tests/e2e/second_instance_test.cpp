// Two starts of the real program: the second finds the first and ends without a window.

#include "app/app_fixture.h"
#include "app/qorvex.h"
#include "e2e/whole_program.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(SecondInstance, EndsAtOnceAndLeavesTheFirstRunning) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  const QProcessEnvironment env = lumiqo::test::privateEnvironment(root);

  QProcess first;
  first.setProcessEnvironment(env);
  first.start(QStringLiteral(LUMIQO_PROGRAM), {});
  ASSERT_TRUE(first.waitForStarted(10000));
  // The first instance is up once its channel appears in the runtime folder.
  const QDir run(root.filePath("run"));
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return !run.entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty(); }, 20000))
      << first.readAllStandardError().toStdString();

  for (const QStringList &args :
       {QStringList{}, QStringList{QStringLiteral("qorvex://zembrol=6162_6364_x/")}}) {
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(LUMIQO_PROGRAM), args);
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second instance kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
  }
  EXPECT_EQ(first.state(), QProcess::Running);

  // --help and --version answer before the instance check (they are not handed over), and
  // before the display is opened: none is named here, and the xcb platform would need one.
  QProcessEnvironment console = env;
  console.remove("QT_QPA_PLATFORM");
  for (const char *option : {"--help", "--version"}) {
    QProcess asked;
    asked.setProcessEnvironment(console);
    asked.start(QStringLiteral(LUMIQO_PROGRAM), {option});
    ASSERT_TRUE(asked.waitForFinished(20000)) << option;
    EXPECT_EQ(asked.exitCode(), 0) << option;
    const QString out = QString::fromUtf8(asked.readAllStandardOutput());
    EXPECT_TRUE(out.startsWith(option == QLatin1String("--help") ? "Usage: lumiqo" : "lumiqo "))
        << out.toStdString();
  }
  EXPECT_EQ(first.state(), QProcess::Running);

  lumiqo::test::endProcess(first);
}

using HandOver = lumiqo::test::AppFixture;

TEST_F(HandOver, SecondStartsLinkIsAppendedAndPlayedByTheRunningWindow) {
  lumiqo::qorvex w;
  ASSERT_TRUE(w.Form_Load().run);
  // The second start inherits this process's private runtime folder, so it finds us.
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("HOME", root.filePath("home"));
  second.setProcessEnvironment(env);
  second.start(QStringLiteral(LUMIQO_PROGRAM), {QStringLiteral("qorvex://zembrol=6162_6364_x/7.mp3/")});
  ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 20000));
  EXPECT_EQ(second.exitCode(), 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return w.ListCount() == 1; }, 10000));
  EXPECT_EQ(w.PlayIndex(), 0);
  EXPECT_EQ(w.state().cur_song, "x7.mp3");
  EXPECT_EQ(w.gd_a(), "歌名:ab  歌手:cd");
}

} // namespace
