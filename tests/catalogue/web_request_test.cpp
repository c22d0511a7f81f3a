#include "base/gbk.h"
#include "catalogue/web_request.h"
#include "support/http_server.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

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

// A server on 127.0.0.1 that accepts one connection, reads the request and stays silent for
// `silence`; then it answers with a whole reply, unless the client has hung up by then.
class LateServer {
public:
  explicit LateServer(std::chrono::seconds silence) {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr *>(&addr), sizeof addr) == 0 &&
        ::listen(listenFd_, 4) == 0 &&
        ::getsockname(listenFd_, reinterpret_cast<sockaddr *>(&addr), &len) == 0)
      port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this, silence] { serve(silence); });
  }
  ~LateServer() {
    stop_ = true;
    if (thread_.joinable())
      thread_.join();
    ::close(listenFd_);
  }
  int port() const { return port_; }
  // Whether the client closed its connection before the answer was due; waits until the
  // server is done with it.
  bool clientGaveUp() {
    thread_.join();
    return gaveUp_;
  }

private:
  void serve(std::chrono::seconds silence) {
    pollfd listener{listenFd_, POLLIN, 0};
    while (!stop_ && ::poll(&listener, 1, 100) <= 0) {
    }
    if (stop_)
      return;
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    const auto due = std::chrono::steady_clock::now() + silence;
    while (!stop_ && std::chrono::steady_clock::now() < due) {
      pollfd peer{fd, POLLIN, 0};
      if (::poll(&peer, 1, 100) > 0) {
        char buf[4096];
        if (::recv(fd, buf, sizeof buf, 0) <= 0) {
          gaveUp_ = true;
          break;
        }
      }
    }
    if (!gaveUp_ && !stop_) {
      const char reply[] = "HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nlate list";
      [[maybe_unused]] const auto sent = ::send(fd, reply, sizeof reply - 1, MSG_NOSIGNAL);
    }
    ::close(fd);
  }

  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<bool> gaveUp_{false};
  std::thread thread_;
};

// With the program's own limits, a server that accepts and stays silent loses the request
// after the receive limit (15 s): one that would answer after 40 s is never heard, although
// the four limits added up (50 s) would have waited for it.
TEST(WebRequestTimeout, DefaultLimitsGiveUpOnASilentServerAfterTheReceiveLimit) {
  LateServer server(std::chrono::seconds(40));
  ASSERT_NE(server.port(), 0);
  EXPECT_EQ(FetchText(QStringLiteral("http://127.0.0.1:%1/list").arg(server.port())), QString());
  EXPECT_TRUE(server.clientGaveUp());
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
