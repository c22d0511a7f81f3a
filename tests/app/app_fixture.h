#pragma once
// A private world for a main window under test: program folder with inc/ and skin/, its own
// runtime, data and config folders (the instance channel and the URL protocol land there),
// message boxes collected instead of shown.

#include "base/app_folder.h"
#include "base/message_box.h"
#include "support/http_server.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace lumiqo::test {

class AppFixture : public ::testing::Test {
protected:
  QTemporaryDir root;
  std::vector<MessageRequest> messages;
  QString savedCwd = QDir::currentPath();

  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    for (const char *dir : {"prog/inc", "prog/skin", "run", "data", "config"})
      ASSERT_TRUE(QDir(root.path()).mkpath(dir));
    // The program's skin, as the build makes it beside the executable.
    const QDir skin(QStringLiteral(LUMIQO_SKIN_DIR));
    for (const QString &file : skin.entryList(QDir::Files))
      ASSERT_TRUE(QFile::copy(skin.filePath(file), root.filePath("prog/skin/" + file)));
    QFile::setPermissions(root.filePath("run"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", root.filePath("run").toLocal8Bit());
    qputenv("XDG_DATA_HOME", root.filePath("data").toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toLocal8Bit());
    qputenv("LUMIQO_AUDIO_DEVICE", "0"); // the no-sound device, however the test is started
    setAppFolderForTesting(root.filePath("prog"));
    setMessageHandler([this](const MessageRequest &r) { messages.push_back(r); });
    // No catalogue unless a test brings one: every service on a port that refuses.
    qputenv("LUMIQO_SERVER", QByteArray("127.0.0.1:") + QByteArray::number(refusedPort()));
  }

  // What the message boxes said, for a failure's report.
  std::string messagesText() const {
    std::string out;
    for (const MessageRequest &m : messages)
      out += m.text.toStdString() + "\n";
    return out;
  }

  void TearDown() override {
    setMessageHandler({});
    setAppFolderForTesting({});
    QDir::setCurrent(savedCwd);
    qunsetenv("LUMIQO_CATALOGUE_HOST");
    qunsetenv("LUMIQO_SERVER");
  }
};

} // namespace lumiqo::test
