// A listener's library as real files carry it: every song format made by ffmpeg's encoders,
// tags written by ffmpeg or byte by byte (ID3v2 with a lyrics frame, ID3v1 in GBK), lyrics
// beside the file and in it; imported, served with each format's content type, and
// imported again reading only what changed.

#include "server_fixture.h"

#include "base/gbk.h"
#include "catalogue/hex_codec.h"
#include "importer.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace lumiqo;
using namespace lumiqo::server;
using namespace lumiqo::server::test;

namespace {

QByteArray utf16WithBom(const QString &text) {
  QByteArray out("\xFF\xFE", 2);
  out.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
  return out;
}

class Library : public ::testing::Test {
protected:
  // The songs are made once: ffmpeg is slow on a busy machine.
  static void SetUpTestSuite() {
    made_ = new QTemporaryDir;
    const auto at = [](const char *rel) { return made_->filePath(QString::fromUtf8(rel)); };
    ok_ = makeAudio(at("flac/长城.flac"), QStringLiteral("长城 FLAC"), QStringLiteral("歌手甲"), {},
                    {QStringLiteral("lyrics=[00:01.00]flac 里的词")}) &&
          makeAudio(at("flac/只是文件名.flac"), {}, {}) &&
          makeAudio(at("m4a/Song.m4a"), QStringLiteral("M4A 歌"), QStringLiteral("歌手乙"),
                    QStringLiteral("专辑"), {QStringLiteral("lyrics=[00:01.00]m4a 的词")}) &&
          makeAudio(at("ogg/Song.ogg"), QStringLiteral("Vorbis 歌"), QStringLiteral("歌手丙"), {},
                    {QStringLiteral("LYRICS=只有字\n没有时间")}) &&
          makeAudio(at("opus/Song.opus"), QStringLiteral("Opus 歌"), QStringLiteral("歌手丁"), {},
                    {QStringLiteral("UNSYNCEDLYRICS=[00:02.00]opus 的词")}) &&
          makeAudio(at("aac/无名 - 没有标题.aac"), {}, {}) &&
          makeAudio(at("wma/Song.wma"), QStringLiteral("窗外"), QStringLiteral("李健")) &&
          makeAudio(at("mp3/encoder-only.mp3"), {}, {});
    if (!ok_)
      return;
    const QByteArray mp3 = readFile(at("mp3/encoder-only.mp3"));
    const QByteArray body = withoutId3v2(mp3);
    // Windows programs: GBK bytes declared as Latin-1, lyrics in UTF-16.
    const QByteArray latin1(1, '\0'); // the encoding byte of a frame declared as Latin-1
    writeFile(at("mp3/uslt.mp3"),
              id3v2Tag({{"TIT2", latin1 + toGbk(QStringLiteral("晚风"))},
                        {"TPE1", latin1 + toGbk(QStringLiteral("林俊杰"))},
                        {"USLT", usltBody(QStringLiteral("[00:01.00]第一句\n[00:02.00]second"))}}) +
                  body);
    writeFile(at("mp3/v1.mp3"),
              body + id3v1Tag(toGbk(QStringLiteral("晚风吹")), toGbk(QStringLiteral("孙燕姿"))));
    // An ID3v2 tag naming only the encoder, and the song's names in ID3v1.
    writeFile(at("mp3/encoder-only.mp3"), mp3 + id3v1Tag(toGbk(QStringLiteral("老歌")), "Old Band"));
    // The sidecar wins over the lyrics in the file.
    writeFile(at("flac/长城.lrc"), utf16WithBom(QStringLiteral("[00:03.00]旁边的词\r\n")));
  }
  static void TearDownTestSuite() { delete made_; }

  void SetUp() override {
    ASSERT_TRUE(ok_) << "ffmpeg could not make the songs";
    root_ = dir_.filePath(QStringLiteral("music"));
    ASSERT_TRUE(copyTree(made_->path(), root_));
    db_ = dir_.filePath(QStringLiteral("c.db")).toStdString();
  }

  static bool copyTree(const QString &from, const QString &to) {
    QDir().mkpath(to);
    for (const QFileInfo &entry : QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
      const QString target = to + QLatin1Char('/') + entry.fileName();
      if (entry.isDir() ? !copyTree(entry.filePath(), target) : !QFile::copy(entry.filePath(), target))
        return false;
    }
    return true;
  }

  ImportReport run() { return importFolder(root_.toStdString(), db_); }

  static QTemporaryDir *made_;
  static bool ok_;
  QTemporaryDir dir_;
  QString root_;
  std::string db_;
};

QTemporaryDir *Library::made_ = nullptr;
bool Library::ok_ = false;

TEST_F(Library, EveryFormatWithItsTagsAndLyrics) {
  const ImportReport report = run();
  EXPECT_TRUE(report.warnings.isEmpty()) << report.warnings.join('\n').toStdString();
  const auto rows = catalogueSongs(db_);
  ASSERT_EQ(rows.size(), 10u);
  struct Expected {
    const char *path, *title, *artist, *extension;
    std::optional<std::string> lyrics;
  };
  const Expected expected[] = {
      {"flac/长城.flac", "长城 FLAC", "歌手甲", ".flac", "[00:03.00]旁边的词\r\n"},
      {"flac/只是文件名.flac", "只是文件名", "未知歌手", ".flac", std::nullopt},
      {"m4a/Song.m4a", "M4A 歌", "歌手乙", ".m4a", "[00:01.00]m4a 的词"},
      {"ogg/Song.ogg", "Vorbis 歌", "歌手丙", ".ogg", std::nullopt},
      {"opus/Song.opus", "Opus 歌", "歌手丁", ".opus", "[00:02.00]opus 的词"},
      {"aac/无名 - 没有标题.aac", "没有标题", "无名", ".aac", std::nullopt},
      {"wma/Song.wma", "窗外", "李健", ".wma", std::nullopt},
      {"mp3/uslt.mp3", "晚风", "林俊杰", ".mp3", "[00:01.00]第一句\r\n[00:02.00]second"},
      {"mp3/v1.mp3", "晚风吹", "孙燕姿", ".mp3", std::nullopt},
      {"mp3/encoder-only.mp3", "老歌", "Old Band", ".mp3", std::nullopt},
  };
  for (const Expected &e : expected) {
    SCOPED_TRACE(e.path);
    ASSERT_TRUE(rows.count(e.path));
    const SongRow &row = rows.at(e.path);
    EXPECT_EQ(row.title, e.title);
    EXPECT_EQ(row.artist, e.artist);
    EXPECT_EQ(row.lyrics, e.lyrics);
    EXPECT_TRUE(row.streamPath.ends_with(e.extension)) << row.streamPath;
  }
  EXPECT_EQ(rows.at("m4a/Song.m4a").album, "专辑");
  // Lyrics without times are no lyrics to follow the song, but their words are found.
  const CatalogueStore store(db_);
  const auto found = store.search("没有时间", SearchField::Keyword);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].title, "Vorbis 歌");
}

TEST_F(Library, EachFormatIsServedWithItsContentTypeAndItsLyrics) {
  run();
  RunningServer server(db_);
  const std::string tflag = StreamToken::tflagFor(std::time(nullptr));
  const std::string pass = "?tflag=" + tflag + "&pin=" + server.service().token().pinFor(tflag);
  const std::pair<const char *, const char *> types[] = {
      {"flac/长城.flac", "audio/flac"},
      {"m4a/Song.m4a", "audio/mp4"},
      {"aac/无名 - 没有标题.aac", "audio/aac"},
      {"ogg/Song.ogg", "audio/ogg"},
      {"opus/Song.opus", "audio/ogg"},
      {"wma/Song.wma", "audio/x-ms-wma"},
      {"mp3/v1.mp3", "audio/mpeg"},
  };
  const auto rows = catalogueSongs(db_);
  for (const auto &[path, type] : types) {
    SCOPED_TRACE(path);
    const SongRow &row = rows.at(path);
    const RawReply reply = parseReply(
        rawExchange(server.port(), "GET /" + row.streamPath + pass +
                                       " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.header("Content-Type"), type);
    EXPECT_TRUE(QByteArray::fromStdString(reply.body) ==
                readFile(root_ + QLatin1Char('/') + QString::fromUtf8(path)));
  }
  // The lyrics in a file reach the player as the sidecar's do.
  const RawReply translation =
      parseReply(rawExchange(server.port(), "GET /soft/01.asp?ss=" + rows.at("opus/Song.opus").link +
                                                " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n"));
  EXPECT_EQ(HexDecodeText(QString::fromStdString(translation.body).section(QLatin1Char(','), 1)),
            QStringLiteral("[00:02.00]opus 的词"));
}

TEST_F(Library, ImportingAgainReadsOnlyWhatChanged) {
  run();
  const auto before = catalogueSongs(db_);

  // Other bytes under the same size and time: not read again (size and time are what count).
  const QString uslt = root_ + QStringLiteral("/mp3/uslt.mp3");
  struct stat st {};
  ASSERT_EQ(::stat(uslt.toLocal8Bit().constData(), &st), 0);
  QByteArray bytes = readFile(uslt);
  bytes.replace(toGbk(QStringLiteral("晚风")), toGbk(QStringLiteral("早雨")));
  writeFile(uslt, bytes);
  const timespec times[2] = {st.st_atim, st.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, uslt.toLocal8Bit().constData(), times, 0), 0);

  const ImportReport same = run();
  EXPECT_EQ(same.unchanged, 10);
  EXPECT_EQ(same.added + same.updated + same.removed, 0);
  EXPECT_EQ(catalogueSongs(db_).at("mp3/uslt.mp3").title, "晚风");

  // A new sidecar changes its song; a song whose file changed is read again.
  writeFile(root_ + QStringLiteral("/ogg/Song.lrc"), toGbk(QStringLiteral("[00:04.00]新的词\r\n")));
  ::utimensat(AT_FDCWD, uslt.toLocal8Bit().constData(), nullptr, 0);
  const ImportReport changed = run();
  EXPECT_EQ(changed.updated, 2);
  EXPECT_EQ(changed.unchanged, 8);
  const auto after = catalogueSongs(db_);
  EXPECT_EQ(after.at("ogg/Song.ogg").lyrics, "[00:04.00]新的词\r\n");
  EXPECT_EQ(after.at("mp3/uslt.mp3").title, "早雨");
  EXPECT_EQ(after.at("mp3/uslt.mp3").link, before.at("mp3/uslt.mp3").link);
}

} // namespace
