// tools/make-demo-catalogue replaces only what it made itself.

#include "server_fixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace lumiqo::server::test;

namespace {

// Runs the tool on `target`; its exit code, and what it said in `errors`.
int runTool(const QString &target, QString &errors) {
  QProcess tool;
  tool.start(QStringLiteral(LUMIQO_DEMO_TOOL), {target});
  if (!tool.waitForFinished(60000))
    return -1;
  errors = QString::fromUtf8(tool.readAllStandardError());
  return tool.exitCode();
}

TEST(DemoCatalogueTool, RefusesWhatItDidNotMake) {
  QTemporaryDir dir;
  // Someone's music folder, named by mistake.
  const QString music = dir.path() + QStringLiteral("/music");
  writeFile(music + QStringLiteral("/my song.mp3"), "precious");
  QString errors;
  EXPECT_EQ(runTool(music, errors), 1);
  EXPECT_TRUE(errors.contains(QStringLiteral("refusing"))) << errors.toStdString();
  EXPECT_TRUE(QFile::exists(music + QStringLiteral("/my song.mp3")));

  // A file where the folder should be.
  const QString file = dir.path() + QStringLiteral("/notes.txt");
  writeFile(file, "keep me");
  EXPECT_EQ(runTool(file, errors), 1);
  QFile kept(file);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
}

} // namespace
