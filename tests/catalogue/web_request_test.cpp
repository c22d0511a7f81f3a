#include "base/gbk.h"
#include "catalogue/web_request.h"
#include "support/http_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

std::string gbk(const QString &text) {
  return toGbk(text).toStdString();
}

QString url(const test::HttpServer &server, const char *path) {
  return QString::fromStdString(server.base()) + QLatin1String(path);
}

class WebRequestTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto &s = server_.server();
    s.Get("/list", [](const httplib::Request &, httplib::Response &res) {
      res.set_content(gbk(QStringLiteral("晴天,周杰伦,a1\r\n")), "text/plain");
    });
    s.Get("/short",
          [](const httplib::Request &, httplib::Response &res) { res.set_content("abc", "text/plain"); });
    s.Get("/four",
          [](const httplib::Request &, httplib::Response &res) { res.set_content("abcd", "text/plain"); });
    s.Get("/missing", [](const httplib::Request &, httplib::Response &res) {
      res.status = 404;
      res.set_content("<html>not found</html>", "text/html");
    });
    s.Post("/soft/ip.asp", [this](const httplib::Request &req, httplib::Response &res) {
      postedBody_ = req.body;
      postSeen_ = true;
      res.set_content("  10.1.2.3 \r\n", "text/plain");
    });
    server_.start();
  }

  test::HttpServer server_;
  std::string postedBody_;
  bool postSeen_ = false;
};

TEST_F(WebRequestTest, FetchTextDecodesGbkAndIgnoresStatus) {
  EXPECT_EQ(FetchText(url(server_, "/list")), QStringLiteral("晴天,周杰伦,a1\r\n"));
  // The status is not examined: an error page is text like any other.
  EXPECT_EQ(FetchText(url(server_, "/missing")), QStringLiteral("<html>not found</html>"));
  // Under four bytes is nothing; four bytes are text.
  EXPECT_EQ(FetchText(url(server_, "/short")), QString());
  EXPECT_EQ(FetchText(url(server_, "/four")), QStringLiteral("abcd"));
}

TEST_F(WebRequestTest, FetchTextFailuresGiveEmptyText) {
  EXPECT_EQ(FetchText(QString()), QString());
  EXPECT_EQ(FetchText(QStringLiteral("not a url at all")), QString());
  EXPECT_EQ(FetchText(QStringLiteral("http://host.invalid/x")), QString());
  const std::string base = server_.base();
  server_.stop();
  EXPECT_EQ(FetchText(QString::fromStdString(base) + "/list"), QString()); // refused
}

TEST(WebRequestTimeout, SilentServerGivesEmptyTextWithinTheTimeouts) {
  test::SilentServer silent;
  ASSERT_NE(silent.port(), 0);
  FetchTimeouts quick{50, 50, 100, 100};
  EXPECT_EQ(
      FetchText(QStringLiteral("http://%1/list").arg(QString::fromStdString(silent.authority())), quick),
      QString());
}

TEST_F(WebRequestTest, BlockingCallsDoNotRunQueuedEvents) {
  bool ran = false;
  QTimer::singleShot(0, [&ran] { ran = true; });
  FetchText(url(server_, "/list"));
  EXPECT_FALSE(ran) << "the caller was re-entered while it waited";
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran);
}

TEST_F(WebRequestTest, LookupAddressPostsEmptyBodyAndTrims) {
  qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(server_.authority()));
  const std::optional<QString> ip = LookupAddress();
  qunsetenv("LUMIQO_CATALOGUE_HOST");
  ASSERT_TRUE(ip.has_value());
  EXPECT_EQ(*ip, QStringLiteral("10.1.2.3"));
  EXPECT_TRUE(postSeen_);
  EXPECT_TRUE(postedBody_.empty());
}

TEST_F(WebRequestTest, LookupAddressFailureIsReported) {
  const std::string authority = server_.authority();
  server_.stop();
  qputenv("LUMIQO_CATALOGUE_HOST", QByteArray::fromStdString(authority));
  const std::optional<QString> ip = LookupAddress();
  qunsetenv("LUMIQO_CATALOGUE_HOST");
  EXPECT_FALSE(ip.has_value());
}

QByteArray readAll(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

TEST_F(WebRequestTest, DownloadReplacesTheFileOnlyWhenComplete) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("lrc"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old contents");
  }
  // Failures leave the old file and no temporary beside it.
  EXPECT_FALSE(DownloadToFile(url(server_, "/missing"), path));
  EXPECT_FALSE(DownloadToFile(QStringLiteral("http://host.invalid/x"), path));
  EXPECT_EQ(readAll(path), QByteArray("old contents"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lrc")});

  EXPECT_TRUE(DownloadToFile(url(server_, "/list"), path));
  EXPECT_EQ(readAll(path), toGbk(QStringLiteral("晴天,周杰伦,a1\r\n")));

  // A new file is created; a folder as destination is refused.
  EXPECT_TRUE(DownloadToFile(url(server_, "/short"), dir.filePath(QStringLiteral("new"))));
  EXPECT_EQ(readAll(dir.filePath(QStringLiteral("new"))), QByteArray("abc"));
  EXPECT_FALSE(DownloadToFile(url(server_, "/list"), dir.path()));
  EXPECT_FALSE(DownloadToFile(url(server_, "/list"), dir.filePath(QStringLiteral("no/such/folder/x"))));
}

} // namespace
} // namespace lumiqo
