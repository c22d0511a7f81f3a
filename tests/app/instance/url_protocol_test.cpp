#include "app/instance/url_protocol.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumiqo;

namespace {

QString readAll(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QStringLiteral("<missing>");
}

void writeAll(const QString &path, const QString &text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.toUtf8());
}

// Points the XDG folders (and HOME) into a temporary folder for one test.
class UrlProtocol : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
      saved_.emplace_back(name, qgetenv(name));
    qputenv("HOME", home().toLocal8Bit());
    qputenv("XDG_DATA_HOME", data().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", config().toLocal8Bit());
  }
  void TearDown() override {
    for (const auto &[name, value] : saved_)
      value.isNull() ? qunsetenv(name) : qputenv(name, value);
  }
  QString home() const { return dir_.path() + QStringLiteral("/home"); }
  QString data() const { return dir_.path() + QStringLiteral("/data"); }
  QString config() const { return dir_.path() + QStringLiteral("/config"); }
  QString desktopFile() const { return data() + QStringLiteral("/applications/qorvex-url.desktop"); }
  QString mimeapps() const { return config() + QStringLiteral("/mimeapps.list"); }

private:
  QTemporaryDir dir_;
  std::vector<std::pair<const char *, QByteArray>> saved_;
};

} // namespace

TEST_F(UrlProtocol, WritesTheDesktopEntryAndMakesItTheDefaultHandler) {
  ASSERT_TRUE(
      RegisterUrlProtocol(QStringLiteral("/opt/Lumiqo Player/lumiqo"), QStringLiteral("/opt/icon.ico")));
  const QString entry = readAll(desktopFile());
  EXPECT_TRUE(entry.startsWith(QStringLiteral("[Desktop Entry]\n")));
  EXPECT_TRUE(entry.contains(QStringLiteral("\nType=Application\n")));
  EXPECT_TRUE(entry.contains(QStringLiteral("\nExec=\"/opt/Lumiqo Player/lumiqo\" %u\n")));
  EXPECT_TRUE(entry.contains(QStringLiteral("\nMimeType=x-scheme-handler/qorvex;\n")));
  EXPECT_TRUE(entry.contains(QStringLiteral("\nIcon=/opt/icon.ico\n")));
  EXPECT_EQ(readAll(mimeapps()),
            QStringLiteral("[Default Applications]\nx-scheme-handler/qorvex=qorvex-url.desktop\n"));
}

TEST_F(UrlProtocol, KeepsEveryOtherEntryOfMimeapps) {
  const QString before = QStringLiteral("[Added Associations]\n"
                                        "text/plain=gedit.desktop;\n"
                                        "\n"
                                        "[Default Applications]\n"
                                        "x-scheme-handler/http=firefox.desktop\n"
                                        "x-scheme-handler/qorvex=old-player.desktop\n"
                                        "image/png=eog.desktop\n"
                                        "\n"
                                        "[Removed Associations]\n"
                                        "x-scheme-handler/qorvex=other.desktop;\n");
  writeAll(mimeapps(), before);
  ASSERT_TRUE(RegisterUrlProtocol(QStringLiteral("/usr/bin/lumiqo"), QString()));
  QString expected = before;
  expected.replace(QStringLiteral("x-scheme-handler/qorvex=old-player.desktop"),
                   QStringLiteral("x-scheme-handler/qorvex=qorvex-url.desktop"));
  EXPECT_EQ(readAll(mimeapps()), expected);
  // Every start registers again; nothing is added twice.
  ASSERT_TRUE(RegisterUrlProtocol(QStringLiteral("/usr/bin/lumiqo"), QString()));
  EXPECT_EQ(readAll(mimeapps()), expected);
}

TEST_F(UrlProtocol, AddsTheEntryAtTheEndOfAnExistingSectionOrANewOne) {
  EXPECT_EQ(
      withDefaultHandler(QStringLiteral("[Default Applications]\na/b=x.desktop\n\n[Other]\nk=v\n"),
                         u"x-scheme-handler/qorvex", u"q.desktop"),
      QStringLiteral(
          "[Default Applications]\na/b=x.desktop\nx-scheme-handler/qorvex=q.desktop\n\n[Other]\nk=v\n"));
  EXPECT_EQ(withDefaultHandler(QStringLiteral("[Added Associations]\na/b=x.desktop;"),
                               u"x-scheme-handler/qorvex", u"q.desktop"),
            QStringLiteral("[Added Associations]\na/b=x.desktop;\n\n[Default Applications]\n"
                           "x-scheme-handler/qorvex=q.desktop\n"));
}

TEST_F(UrlProtocol, RelativeXdgFoldersAreNotUsed) {
  qputenv("XDG_DATA_HOME", "relative/data");
  qputenv("XDG_CONFIG_HOME", "relative/config");
  ASSERT_TRUE(RegisterUrlProtocol(QStringLiteral("/usr/bin/lumiqo"), QString()));
  EXPECT_TRUE(QFile::exists(home() + QStringLiteral("/.local/share/applications/qorvex-url.desktop")));
  EXPECT_TRUE(QFile::exists(home() + QStringLiteral("/.config/mimeapps.list")));
}

TEST(DesktopExec, QuotesAndEscapesTheProgramPath) {
  EXPECT_EQ(desktopExec(QStringLiteral("/usr/bin/lumiqo")), QStringLiteral("/usr/bin/lumiqo %u"));
  EXPECT_EQ(desktopExec(QStringLiteral("/opt/100%/lumiqo")), QStringLiteral("/opt/100%%/lumiqo %u"));
  // '$' and '"' take a backslash inside the quotes, which the value doubles; '%' doubles.
  EXPECT_EQ(desktopExec(QStringLiteral("/a $b/\"c\"/100%/x")),
            QStringLiteral("\"/a \\\\$b/\\\\\"c\\\\\"/100%%/x\" %u"));
}
