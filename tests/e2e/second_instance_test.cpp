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

#include <algorithm>
#include <memory>
#include <vector>

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

// Many starts at the same moment: exactly one keeps running, and a later start finds it.
TEST(SecondInstance, OfManySimultaneousStartsExactlyOneKeepsRunning) {
  constexpr int kStarts = 8;
  constexpr int kRounds = 3;
  for (int round = 0; round < kRounds; ++round) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QProcessEnvironment env = lumiqo::test::privateEnvironment(root);
    env.insert("LUMIQO_SERVER", QStringLiteral("127.0.0.1:%1").arg(lumiqo::test::refusedPort()));
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < kStarts; ++i) {
      starts.push_back(std::make_unique<QProcess>());
      starts.back()->setProcessEnvironment(env);
    }
    for (auto &start : starts)
      start->start(QStringLiteral(LUMIQO_PROGRAM), {});
    const auto running = [&] {
      return std::count_if(starts.begin(), starts.end(),
                           [](const auto &p) { return p->state() != QProcess::NotRunning; });
    };
    // Generous: the starts share the machine. Two that both took the channel keep running.
    [[maybe_unused]] const bool settled = QTest::qWaitFor([&] { return running() <= 1; }, 90000);
    EXPECT_EQ(running(), 1) << "round " << round;
    for (auto &start : starts) {
      if (start->state() == QProcess::NotRunning) {
        EXPECT_EQ(start->exitCode(), 0) << start->readAllStandardError().toStdString();
      }
    }

    QProcess later;
    later.setProcessEnvironment(env);
    later.start(QStringLiteral(LUMIQO_PROGRAM), {});
    EXPECT_TRUE(later.waitForFinished(30000)) << "a later start did not find the running one";
    for (auto &start : starts)
      lumiqo::test::endProcess(*start);
    lumiqo::test::endProcess(later);
  }
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
