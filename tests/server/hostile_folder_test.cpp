// A music folder made by an attacker: links out of it at every depth, link loops, FIFOs as a
// song, as catalogue.ini and named in it, devices through links, a 50 MB sidecar, names that
// would steer a terminal. Every one ends in a warning naming it, the import finishes, and the
// server answers without ever opening what lies outside or blocking on a special file.

#include "server_fixture.h"

#include "importer.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <future>

using namespace lumiqo::server;
using namespace lumiqo::server::test;
using namespace std::chrono_literals;

namespace {

const std::string kEnd = " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";

std::string resolved(const QString &path) {
  char *real = ::realpath(path.toLocal8Bit().constData(), nullptr);
  std::string out = real ? real : "";
  std::free(real);
  return out;
}

bool link(const QString &target, const QString &at) {
  QDir().mkpath(QFileInfo(at).path());
  return ::symlink(target.toLocal8Bit().constData(), at.toLocal8Bit().constData()) == 0;
}

bool fifo(const QString &at) {
  return ::mkfifo(at.toLocal8Bit().constData(), 0600) == 0;
}

bool sparse(const QString &at, off_t size) {
  QFile file(at);
  return file.open(QIODevice::WriteOnly) && file.resize(size);
}

class HostileFolder : public ::testing::Test {
protected:
  void SetUp() override {
    root_ = dir_.filePath(QStringLiteral("music"));
    outside_ = dir_.filePath(QStringLiteral("outside"));
    db_ = dir_.filePath(QStringLiteral("c.db")).toStdString();
    ASSERT_TRUE(
        makeAudio(outside_ + QStringLiteral("/secret.mp3"), QStringLiteral("秘密"), QStringLiteral("外人")));
    ASSERT_TRUE(QDir().mkpath(root_ + QStringLiteral("/a/b/c")));
    ASSERT_TRUE(QFile::copy(outside_ + QStringLiteral("/secret.mp3"), at("in.mp3")));
  }

  QString at(const char *rel) const { return root_ + QLatin1Char('/') + QString::fromUtf8(rel); }

  // Imports, and should the import hang on a FIFO, opens every FIFO so that it ends and fails
  // the test instead of hanging it.
  ImportReport importWatched() {
    auto import = std::async(std::launch::async, [&] { return importFolder(root_.toStdString(), db_); });
    if (import.wait_for(120s) != std::future_status::ready) {
      for (const QString &f : fifos_) {
        const int fd = ::open(f.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
        if (fd >= 0)
          ::close(fd);
      }
      ADD_FAILURE() << "the import hung";
    }
    return import.get();
  }

  bool addFifo(const QString &path) {
    fifos_ << path;
    return fifo(path);
  }

  static void expectWarning(const ImportReport &report, const std::string &text) {
    EXPECT_TRUE(report.warnings.contains(QString::fromStdString(text)))
        << "no warning \"" << text << "\" in\n"
        << report.warnings.join('\n').toStdString();
  }

  QTemporaryDir dir_;
  QString root_, outside_;
  std::string db_;
  QStringList fifos_;
};

TEST_F(HostileFolder, EverythingOutsideOrSpecialEndsInAWarningAndTheServerAnswers) {
  const std::string out = resolved(outside_);
  // Links out, from the top down to three folders deep, absolute and relative.
  ASSERT_TRUE(link(outside_ + QStringLiteral("/secret.mp3"), at("out0.mp3")));
  ASSERT_TRUE(link(QStringLiteral("/etc/passwd"), at("a/passwd.lrc")));
  ASSERT_TRUE(link(outside_, at("a/b/outdir")));
  ASSERT_TRUE(link(QStringLiteral("../../../../outside/secret.mp3"), at("a/b/c/secret.mp3")));
  ASSERT_TRUE(link(outside_, at("linked")));
  // A link inside stays a song.
  ASSERT_TRUE(link(QStringLiteral("in.mp3"), at("alias.mp3")));
  // Loops: a link to itself, and one back up to a folder above it.
  ASSERT_TRUE(link(QStringLiteral("loop.mp3"), at("loop.mp3")));
  ASSERT_TRUE(link(QStringLiteral("../.."), at("a/b/back")));
  // Special files, and devices through links.
  ASSERT_TRUE(addFifo(at("fifo.mp3")));
  ASSERT_TRUE(addFifo(root_ + QStringLiteral("/evil\x1b[2J\n.mp3")));
  ASSERT_TRUE(link(QStringLiteral("/dev/zero"), at("zero.mp3")));
  ASSERT_TRUE(link(QStringLiteral("/dev/null"), at("a/null.lrc")));
  // A 50 MB sidecar that costs no disk.
  ASSERT_TRUE(sparse(at("in.lrc"), 50 * 1024 * 1024));
  // catalogue.ini names the FIFO, plainly and by hand, and a song through the link out.
  writeFile(at("catalogue.ini"), "[start]\nin.mp3\nfifo.mp3\n手写,贼,fifo.mp3\nlinked/secret.mp3\n");

  const ImportReport report = importWatched();
  for (const std::string &w : std::vector<std::string>{
           "outside the folder, skipped: out0.mp3 -> " + out + "/secret.mp3",
           "outside the folder, skipped: a/passwd.lrc -> /etc/passwd",
           "outside the folder, skipped: a/b/outdir -> " + out,
           "outside the folder, skipped: a/b/c/secret.mp3 -> " + out + "/secret.mp3",
           "outside the folder, skipped: linked -> " + out,
           "a link loop, skipped: loop.mp3",
           "a link loop, skipped: a/b/back",
           "not a regular file, skipped: fifo.mp3",
           "not a regular file, skipped: evil\\x1b[2J\\x0a.mp3",
           "outside the folder, skipped: zero.mp3 -> /dev/zero",
           "outside the folder, skipped: a/null.lrc -> /dev/null",
           "lyrics over 1 MiB, not used: in.lrc",
           "catalogue.ini: fifo.mp3 is not a song file of the folder; refused",
           "catalogue.ini: no song fifo.mp3",
           "catalogue.ini: no song linked/secret.mp3",
       })
    expectWarning(report, w);
  for (const QString &w : report.warnings) {
    for (const QChar c : w)
      EXPECT_GE(c.unicode(), 0x20) << "a control character in: " << w.toStdString();
  }
  EXPECT_EQ(report.skipped[static_cast<int>(Skip::Outside)], 7);
  EXPECT_EQ(report.skipped[static_cast<int>(Skip::LinkLoop)], 2);
  EXPECT_EQ(report.skipped[static_cast<int>(Skip::NotRegular)], 2);
  EXPECT_EQ(report.skipped[static_cast<int>(Skip::TooLarge)], 1);
  const auto songs = catalogueSongs(db_);
  ASSERT_EQ(songs.size(), 2u);
  EXPECT_TRUE(songs.count("in.mp3") && songs.count("alias.mp3"));
  EXPECT_FALSE(songs.at("in.mp3").lyrics);

  RunningServer server(db_);
  const auto get = [&](const std::string &target) {
    return parseReply(rawExchange(server.port(), "GET " + target + kEnd));
  };
  EXPECT_EQ(get("/soft/mlist0.asp").status, 200);
  EXPECT_EQ(get("/downlrc.jsp?tGroupid=1").status, 404); // no lyrics at all: not /etc/passwd
  const std::string tflag = StreamToken::tflagFor(std::time(nullptr));
  const std::string stream = "/" + songs.at("in.mp3").streamPath + "?tflag=" + tflag +
                             "&pin=" + server.service().token().pinFor(tflag);
  EXPECT_EQ(get(stream).status, 200);

  // The song becomes a FIFO under the running server: more requests than it has threads,
  // each refused at once, and the lists still answer.
  ASSERT_TRUE(QFile::remove(at("in.mp3")));
  ASSERT_TRUE(addFifo(at("in.mp3")));
  std::vector<std::future<int>> requests;
  for (int i = 0; i < 8; ++i)
    requests.push_back(std::async(std::launch::async, [&] { return get(stream).status; }));
  for (auto &r : requests)
    EXPECT_EQ(r.get(), 404);
  EXPECT_EQ(get("/soft/mlist0.asp").status, 200);
  // Or a link out: not served either.
  ASSERT_TRUE(QFile::remove(at("in.mp3")));
  ASSERT_TRUE(link(outside_ + QStringLiteral("/secret.mp3"), at("in.mp3")));
  EXPECT_EQ(get(stream).status, 404);
}

TEST_F(HostileFolder, ACatalogueIniThatIsNoFileOfTheFolderIsLeftAside) {
  struct Case {
    std::function<bool(const QString &)> make;
    std::string warning;
    Skip reason;
  };
  const Case cases[] = {
      {[&](const QString &ini) { return addFifo(ini); }, "not a regular file, skipped: catalogue.ini",
       Skip::NotRegular},
      {[](const QString &ini) { return link(QStringLiteral("/dev/zero"), ini); },
       "outside the folder, skipped: catalogue.ini -> /dev/zero", Skip::Outside},
      {[](const QString &ini) { return sparse(ini, 5 * 1024 * 1024); },
       "catalogue.ini is over 4 MiB, not used: the lists are made as without it", Skip::TooLarge},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.warning);
    const QString ini = at("catalogue.ini");
    QFile::remove(ini);
    ASSERT_TRUE(c.make(ini));
    const ImportReport report = importWatched();
    expectWarning(report, c.warning);
    EXPECT_EQ(report.skipped[static_cast<int>(c.reason)], 1);
    // Without a usable catalogue.ini every song starts the player.
    EXPECT_EQ(CatalogueStore(db_).list(0).size(), 1u);
  }
}

} // namespace
